#pragma once

// What the commands of pelorin-cli check about the files a user names before
// anything runs: no output may be an input or another output of the same
// command, under any spelling, link or hard link.

#include <string>
#include <vector>

#include "FileSystem.h"

namespace pelorin::cli {

// The files one command reads and writes, each with the words that name it
// in a message ("the input file", "--out").
class CommandFiles {
  public:
    void Reads(const std::string& role, const std::string& name);
    void Writes(const std::string& role, const std::string& name);
    // The files NAME.inp, NAME.out and NAME.lst of each name, kept in `folder`.
    void KeepsIn(const std::string& folder, const std::vector<std::string>& names);

    // The first output that is an input or another output, as a message
    // naming both; empty when there is none.
    std::string Clash() const;

  private:
    struct Named {
        std::string Role;
        std::string Name;
        FilePlace Place;
    };
    // Compares one kept file with the inputs and the other outputs.
    std::string KeptClash(const Named& kept) const;

    std::vector<Named> inputs_;
    std::vector<Named> outputs_;
    std::string keptFolder_;
    std::vector<std::string> keptNames_;
};

// Why a folder named by --reports cannot take the cases' files; empty when
// it can.
std::string ReportsFolderRefusal(const std::string& folder);

}  // namespace pelorin::cli
