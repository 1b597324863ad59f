// XCalendar.Engine.h: the calendar engine's start-up.
#pragma once

// Registers the libraries below and the classes that pack files, settings and note files name,
// so that reading finds them by those names. Programs and test programs call it at start-up;
// calling it again changes nothing.
void RegisterCalendarEngine();
