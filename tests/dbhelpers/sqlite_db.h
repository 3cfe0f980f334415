// A fresh SQLite database file reached through the SQLite ODBC driver.
#pragma once

#include "test_env.h"

#include <string>

namespace dbtest {

class SqliteDb {
public:
    SqliteDb() : path_(dir_.file("test.db")) {}
    const std::string& path() const { return path_; }
    // The ODBC connection text for the database.
    std::string connection() const { return "Driver=SQLite3;Database=" + path_ + ";"; }
    const testenv::TempDir& dir() const { return dir_; }

private:
    testenv::TempDir dir_;
    std::string path_;
};

}  // namespace dbtest
