// An observer that keeps what a run showed, for the tests.
#pragma once

#include <zsync/sync.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct RecordingObserver : zsync::SyncObserver {
    struct Row {
        std::vector<std::string> columns;   // caption first
        int icon = -1;
    };
    void showServer(const std::string& s) override { server = s; }
    void setLabel(const std::string& t) override { labels.push_back(t); }
    void setText(const std::string& t) override { texts.push_back(t); }
    void setWorking(bool, bool) override {}
    void addRow(const std::string& remote) override {
        rows.push_back({{remote}});
        current = rows.size() - 1;
    }
    void addColumn(const std::string& t) override { rows[current].columns.push_back(t); }
    void selectRow(std::size_t index) override { current = index; }
    void setStatus(const std::string& t) override {
        rows[current].columns.resize(std::max<size_t>(rows[current].columns.size(), 5));
        rows[current].columns[4] = t;
        if (onStatus) onStatus(t);
    }
    void setIcon(zsync::RowIcon i) override { rows[current].icon = int(i); }
    void message(const std::string& t) override { messages.push_back(t); }
    void internetError(const std::string& caption, const std::string& text) override {
        errors.push_back(caption + ": " + text);
    }
    std::string server;
    std::vector<std::string> labels, texts, messages, errors;
    std::vector<Row> rows;
    std::size_t current = 0;
    std::function<void(const std::string&)> onStatus;
};
