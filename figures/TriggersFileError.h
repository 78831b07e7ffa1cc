// How every reader of Triggers.qvx gives up on a broken file: a line saying
// what is wrong, the broken-file line and the error details, then CDException.
#pragma once

[[noreturn]] void RefuseTriggersFile(const char* format, ...) __attribute__((format(printf, 1, 2)));
