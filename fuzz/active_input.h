// The active calendar fuzzer's input: a holiday's dates and rule and the months to lay out,
// packed little-endian so that the seeds program can write the same layout. Bytes past the
// end read as 0, so every input decodes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

struct TActiveInput {
    double Start = 0;
    double End = 0;
    uint8_t Flags = 0;   // kDateOnly, kDisabled, kRule
    uint8_t Frequency = 0;
    uint8_t EndType = 0;
    uint8_t ColorType = 0;
    uint32_t Interval = 0;
    double EndDate = 0;
    std::pair<uint16_t, uint8_t> Months[2]{};   // year, month
    std::vector<std::pair<int8_t, uint8_t>> WeekDays;   // value, weekday
    std::vector<int16_t> MonthDays;

    static constexpr uint8_t kDateOnly = 1, kDisabled = 2, kRule = 4;

    std::string Encode() const
    {
        std::string Bytes;
        auto Put = [&](const auto& AValue) { Bytes.append(reinterpret_cast<const char*>(&AValue), sizeof AValue); };
        Put(Start), Put(End), Put(Flags), Put(Frequency), Put(EndType), Put(ColorType), Put(Interval), Put(EndDate);
        for (const auto& [Year, Month] : Months)
            Put(Year), Put(Month);
        Put(static_cast<uint8_t>(WeekDays.size()));
        for (const auto& [Value, WeekDay] : WeekDays)
            Put(Value), Put(WeekDay);
        Put(static_cast<uint8_t>(MonthDays.size()));
        for (int16_t Day : MonthDays)
            Put(Day);
        return Bytes;
    }

    static TActiveInput Decode(const uint8_t* AData, size_t ASize)
    {
        size_t At = 0;
        auto Get = [&](auto& AValue) {
            size_t Count = At < ASize ? std::min(sizeof AValue, ASize - At) : 0;
            AValue = {};
            if (Count > 0)
                std::memcpy(&AValue, AData + At, Count);
            At += sizeof AValue;
        };
        TActiveInput Input;
        Get(Input.Start), Get(Input.End), Get(Input.Flags), Get(Input.Frequency), Get(Input.EndType);
        Get(Input.ColorType), Get(Input.Interval), Get(Input.EndDate);
        for (auto& [Year, Month] : Input.Months)
            Get(Year), Get(Month);
        uint8_t Count = 0;
        Get(Count);
        Input.WeekDays.resize(Count);
        for (auto& [Value, WeekDay] : Input.WeekDays)
            Get(Value), Get(WeekDay);
        Get(Count);
        Input.MonthDays.resize(Count);
        for (int16_t& Day : Input.MonthDays)
            Get(Day);
        return Input;
    }
};
