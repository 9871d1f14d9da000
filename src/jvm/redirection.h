// System.out and System.err of the hosted program sent to the files the settings name,
// with the date and time put into the names on request.
#pragma once

#include <jni.h>

#include <string>

#include "config/launch_settings.h"
#include "os/os.h"

namespace jl {

struct RedirectionNames {
    std::wstring output;
    std::wstring error;
};

// The output and error file names with the date-time pictures expanded, both with the
// same time.
RedirectionNames expandRedirectionNames(const LaunchSettings& settings, const os::LocalTime& time);

// Whether two redirection names would write into one file: the same existing file, or
// the same full path (without regard to case on Windows).
bool namesSameFile(const std::wstring& first, const std::wstring& second);

// On the Java thread right after the virtual machine has been created. A file that
// cannot be opened leaves its stream as it was and is described on the error stream;
// the program runs on either way. When both names lead to one file it is opened once
// and one stream serves both, so neither overwrites the other's lines.
void redirectStandardStreams(JNIEnv* env, const LaunchSettings& settings);

}  // namespace jl
