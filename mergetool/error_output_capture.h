// Collects what the cores write to the error output while one call runs, so
// the window can show the reason for a failure that a core reports there.
// The collected text also goes on to the real error output afterwards.
#pragma once

#include <cstdio>
#include <string>

class ErrorOutputCapture {
public:
    ErrorOutputCapture();
    ~ErrorOutputCapture();
    ErrorOutputCapture(const ErrorOutputCapture&) = delete;
    ErrorOutputCapture& operator=(const ErrorOutputCapture&) = delete;

    // Ends the capture and gives what was written (empty when nothing was,
    // or when the error output could not be captured).
    std::string finish();

private:
    int savedDescriptor_ = -1;
    std::FILE* collected_ = nullptr;
};
