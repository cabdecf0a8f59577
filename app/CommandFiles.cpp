#include "CommandFiles.h"

#include <cerrno>
#include <cstring>

namespace pelorin::cli {

namespace {

constexpr const char* kKeptExtensions[] = {".inp", ".out", ".lst"};

std::string Described(const std::string& role, const std::string& name) {
    return role + " " + name;
}

std::string ClashText(const std::string& output, const std::string& other) {
    return output + " is " + other + ", which it would replace: give it another name (nothing " +
           "was run).";
}

}  // namespace

void CommandFiles::Reads(const std::string& role, const std::string& name) {
    inputs_.push_back({role, name, PlaceOf(name)});
}

void CommandFiles::Writes(const std::string& role, const std::string& name) {
    if (!name.empty()) outputs_.push_back({role, name, PlaceOf(name)});
}

void CommandFiles::KeepsIn(const std::string& folder, const std::vector<std::string>& names) {
    keptFolder_ = folder;
    keptNames_ = names;
}

std::string CommandFiles::Clash() const {
    for (std::size_t k = 0; k < outputs_.size(); ++k) {
        const Named& output = outputs_[k];
        for (const Named& input : inputs_)
            if (SamePlace(output.Place, input.Place))
                return ClashText(Described(output.Role, output.Name),
                                 Described(input.Role, input.Name));
        for (std::size_t j = 0; j < k; ++j)
            if (SamePlace(output.Place, outputs_[j].Place))
                return ClashText(Described(output.Role, output.Name),
                                 Described(outputs_[j].Role, outputs_[j].Name));
    }
    if (keptFolder_.empty()) return {};
    // One look at the folder for all its names.
    NodeInfo folder;
    InspectFile(keptFolder_, folder);
    for (const std::string& name : keptNames_) {
        for (const char* extension : kKeptExtensions) {
            const std::string file = name + extension;
            const Named kept{"the kept file", keptFolder_ + "/" + file,
                             PlaceIn(keptFolder_, folder, file)};
            if (std::string clash = KeptClash(kept); !clash.empty()) return clash;
        }
    }
    return {};
}

std::string CommandFiles::KeptClash(const Named& kept) const {
    for (const std::vector<Named>* others : {&inputs_, &outputs_})
        for (const Named& other : *others)
            if (SamePlace(kept.Place, other.Place))
                return ClashText(Described(kept.Role, kept.Name),
                                 Described(other.Role, other.Name));
    return {};
}

std::string ReportsFolderRefusal(const std::string& folder) {
    switch (const int error = ProbeFolder(folder)) {
        case 0: return {};
        case ENOTDIR: return "--reports " + folder + " is not a folder";
        case ENOENT: return "--reports " + folder + " is not a folder (there is none)";
        default: return "--reports " + folder + " cannot be written (" + std::strerror(error) + ")";
    }
}

}  // namespace pelorin::cli
