// SPDX-License-Identifier: GPL-3.0-or-later
// Counts how often the files of some folders are opened while it watches
// (Linux inotify), so a test can tell how many times a command reads a
// settings file or a ROM, whoever opens it: this process or a program it
// starts.
#pragma once

#include <map>
#include <string>
#include <vector>

class OpenCounter {
public:
    // folders end in '/'.
    explicit OpenCounter(const std::vector<std::string>& folders);
    ~OpenCounter();
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    bool watching() const { return watching_; }
    // The opens of each file (its folder and name) since the counter began
    // or was last taken; then the count starts afresh.
    std::map<std::string, int> take();

private:
    int fd_ = -1;
    bool watching_ = false;
    std::map<int, std::string> folders_;  // by watch
};
