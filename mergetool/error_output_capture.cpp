#include "error_output_capture.h"

#include <unistd.h>

ErrorOutputCapture::ErrorOutputCapture()
{
    std::fflush(stderr);
    collected_ = std::tmpfile();
    if (collected_ == nullptr) return;
    savedDescriptor_ = ::dup(::fileno(stderr));
    if (savedDescriptor_ < 0 || ::dup2(::fileno(collected_), ::fileno(stderr)) < 0) {
        if (savedDescriptor_ >= 0) ::close(savedDescriptor_);
        savedDescriptor_ = -1;
        std::fclose(collected_);
        collected_ = nullptr;
    }
}

ErrorOutputCapture::~ErrorOutputCapture()
{
    finish();
}

std::string ErrorOutputCapture::finish()
{
    if (collected_ == nullptr) return {};
    std::fflush(stderr);
    ::dup2(savedDescriptor_, ::fileno(stderr));
    ::close(savedDescriptor_);
    savedDescriptor_ = -1;

    std::string text;
    std::rewind(collected_);
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, collected_)) > 0) text.append(buffer, n);
    std::fclose(collected_);
    collected_ = nullptr;

    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    return text;
}
