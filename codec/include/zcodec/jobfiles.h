// The files of one job: a directory and a base name ("ztp_12"), with the
// job's data (".ztp"), description (".txt") and packed data (".gz"). Every
// part of the system that names, parses or creates job files does it here.
#pragma once

#include <zplatform/fd.h>

#include <optional>
#include <string>
#include <string_view>

namespace encdec {

class JobFiles {
public:
    // Job numbers run from 1 to this.
    static constexpr int kMaxNumber = 999;
    // Job files are their owner's only: print data is nobody else's business.
    static constexpr unsigned kFileMode = 0600;

    JobFiles() = default;
    JobFiles(std::string dir, std::string baseName);
    // Job n of dir: base name "ztp_n".
    JobFiles(std::string dir, int number);

    const std::string& dir() const { return dir_; }
    const std::string& baseName() const { return baseName_; }
    // The number of a base name "ztp_N" (N from 1 to 999 without leading
    // zeros); 0 for any other base name.
    int number() const { return numberOfBaseName(baseName_); }

    std::string ztp() const { return path(".ztp"); }
    std::string txt() const { return path(".txt"); }
    std::string gz() const { return path(".gz"); }
    // The base name with another extension (".zt1").
    std::string path(std::string_view extension) const;
    // The file name without the directory ("ztp_12.ztp").
    std::string name(std::string_view extension) const;
    // The same job in another directory.
    JobFiles in(std::string dir) const { return JobFiles(std::move(dir), baseName_); }

    static std::string baseNameOf(int number);
    static int numberOfBaseName(std::string_view baseName);
    // The number a data file name announces ("ztp_12.ztp" gives 12); 0 for
    // anything else, a path or a name with leading zeros included.
    static int numberOfDataFile(std::string_view fileName);
    // The base name of a description file name ("ztp_<anything>.txt");
    // nullopt for other names.
    static std::optional<std::string> baseNameOfDescription(std::string_view fileName);

    // A new job of dir under the smallest free number: its data file is
    // created exclusively, never through a link (so two writers never share a
    // number), and returned open for reading and writing.
    struct Created;
    // nullopt with errno set when none could be made; EEXIST then means that
    // every number from 1 to 999 is taken.
    static std::optional<Created> createNew(const std::string& dir);

private:
    std::string dir_;
    std::string baseName_;
};

struct JobFiles::Created {
    JobFiles files;
    platform::UniqueFd data;
};

}  // namespace encdec
