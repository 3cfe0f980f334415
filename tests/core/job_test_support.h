// A working directory registered as the client's, filled with jobs by the
// real hand-off, for the queue's tests.
#pragma once

#include "sample_jobs.h"
#include "test_env.h"

#include <zcodec/handoff.h>
#include <zplatform/registry.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <string>
#include <vector>

namespace jobtest {

class WorkDir {
public:
    WorkDir() : path_(machine_.dir().file("jobs")) {
        std::filesystem::create_directories(path_);
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine,
                                                  "SOFTWARE\\ORLO Vestra\\Zentrope Client");
        EXPECT_TRUE(key && key->writeString("FirstTempDir", path_));
    }

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const testenv::IsolatedMachine& machine() const { return machine_; }

    // Hands a job off with the given data; its base name ("ztp_N").
    std::string handOff(const std::string& data, encdec::ZTP_JOBDATA job = {}) {
        const std::string source = machine_.dir().file("spooled.ps");
        testenv::writeFile(source, data);
        std::string note, baseName;
        EXPECT_TRUE(encdec::SubmitFileToNetClient(source, &job, note, baseName)) << note;
        return baseName;
    }

    // Names in the directory, sorted.
    std::vector<std::string> names() const { return namesIn(path_); }

    static std::vector<std::string> namesIn(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    testenv::IsolatedMachine machine_;
    std::string path_;
};

}  // namespace jobtest
