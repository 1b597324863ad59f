// Win.TestEnvironment.h: for tests only: a private home folder with the XDG variables and the
// temporary folder pointed into it, so that no test touches the real user's folders, registry
// or locks. Restores the environment and removes the folder when it goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

class TTestHome {
public:
    TTestHome()
    {
        std::string Pattern = (std::filesystem::temp_directory_path() / "nvhome-XXXXXX").string();
        FRoot = ::mkdtemp(Pattern.data());
        Set("HOME", FRoot);
        Set("XDG_CONFIG_HOME", FRoot + "/.config");
        Set("XDG_DATA_HOME", FRoot + "/.local/share");
        Set("XDG_RUNTIME_DIR", FRoot + "/run");
        Set("TMPDIR", FRoot + "/tmp");
        for (const char* Name : {"XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_MUSIC_DIR", "XDG_PICTURES_DIR"})
            Set(Name, std::nullopt);
        std::filesystem::create_directories(FRoot + "/run");
        std::filesystem::create_directories(FRoot + "/tmp");
    }
    ~TTestHome()
    {
        for (const auto& [Name, Value] : FSaved)
            Value ? ::setenv(Name.c_str(), Value->c_str(), 1) : ::unsetenv(Name.c_str());
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }
    TTestHome(const TTestHome&) = delete;
    TTestHome& operator=(const TTestHome&) = delete;

    // The home folder, without a trailing "/".
    const std::string& Root() const { return FRoot; }
    // Sets (or with nullopt removes) a variable until the home goes.
    void Set(const std::string& AName, std::optional<std::string> AValue)
    {
        if (!FSaved.count(AName)) {
            const char* Old = ::getenv(AName.c_str());
            FSaved[AName] = Old != nullptr ? std::optional<std::string>(Old) : std::nullopt;
        }
        AValue ? ::setenv(AName.c_str(), AValue->c_str(), 1) : ::unsetenv(AName.c_str());
    }

private:
    std::string FRoot;
    std::map<std::string, std::optional<std::string>> FSaved;
};
