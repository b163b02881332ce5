#include "cli/cli_firmware.h"

#include "cli/cli_commands.h"
#include "update/firmware_image.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>

namespace gw::cli {

const char* const kFirmwareUsage =
    "Usage: sw40931-cli firmware SOURCE.sx BINDIR OUT.sx [--banks LIST]\n"
    "\n"
    "Writes OUT.sx: the S-record firmware SOURCE.sx with the range of each chosen\n"
    "configuration bank replaced by BINDIR/bank1.bin to bank5.bin, as the firmware\n"
    "window does. LIST is a comma-separated list of bank numbers 1 to 5, by default\n"
    "all five; the firmware window of this product uses --banks 1,2. A bank whose\n"
    "range the source does not hold is reported and left out; OUT.sx is still\n"
    "written.\n"
    "The stage files are written beside OUT.sx and removed at the end.\n";

namespace {

struct FirmwareArguments {
    bool help = false;
    std::vector<std::string> positional;
    std::array<bool, kBankCount> banks{true, true, true, true, true};
};

// "1,2,5"; nullopt when a number is not a bank or is given twice.
std::optional<std::array<bool, kBankCount>> ParseBanks(const std::string& list) {
    std::array<bool, kBankCount> banks{};
    std::stringstream items(list);
    std::string item;
    int count = 0;
    while (std::getline(items, item, ',')) {
        if (item.size() != 1 || item[0] < '1' || item[0] > '0' + kBankCount)
            return std::nullopt;
        bool& chosen = banks[item[0] - '1'];
        if (chosen)
            return std::nullopt;
        chosen = true;
        ++count;
    }
    if (count == 0 || list.back() == ',')
        return std::nullopt;
    return banks;
}

// Throws the message of a usage error.
FirmwareArguments ParseFirmware(const std::vector<std::string>& args) {
    FirmwareArguments a;
    bool banksGiven = false;
    bool options = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (options && s == "--") {
            options = false;
        } else if (options && (s == "--help" || s == "-h")) {
            a.help = true;
        } else if (options && (s == "--banks" || s.starts_with("--banks="))) {
            std::string list;
            if (s == "--banks") {
                if (i + 1 >= args.size())
                    throw std::invalid_argument("option --banks needs a list of banks");
                list = args[++i];
            } else {
                list = s.substr(8);
            }
            if (banksGiven)
                throw std::invalid_argument("option --banks given twice");
            const auto banks = ParseBanks(list);
            if (!banks)
                throw std::invalid_argument("'" + list +
                                            "' is not a list of banks 1 to 5 (such as 1,2)");
            a.banks = *banks;
            banksGiven = true;
        } else if (options && s.size() > 1 && s[0] == '-') {
            throw std::invalid_argument("unknown option '" + s + "'");
        } else {
            a.positional.push_back(s);
        }
    }
    if (a.help)
        return a;
    static const char* const names[] = {"SOURCE.sx", "BINDIR", "OUT.sx"};
    if (a.positional.size() < 3)
        throw std::invalid_argument(std::string("missing ") + names[a.positional.size()]);
    if (a.positional.size() > 3)
        throw std::invalid_argument("unexpected argument '" + a.positional[3] + "'");
    return a;
}

} // namespace

int Firmware(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgram) + " firmware: ";
    FirmwareArguments a;
    try {
        a = ParseFirmware(args);
    } catch (const std::invalid_argument& e) {
        err << prefix << e.what() << "\n\n" << kFirmwareUsage;
        return kExitUsage;
    }
    if (a.help) {
        out << kFirmwareUsage;
        return kExitOk;
    }
    const std::string& source = a.positional[0];
    const std::filesystem::path target(a.positional[2]);
    FirmwareFolders folders;
    folders.OutputDir = target.has_parent_path() ? target.parent_path().string() : ".";
    folders.BinDir = a.positional[1];
    folders.NewSxName = target.filename().string();

    FirmwareBuild build;
    try {
        build = BuildFirmwareImage(folders, source, a.banks);
    } catch (const std::exception& e) {
        err << prefix << e.what() << "\n";
        return kExitInvalid;
    }
    for (int bank : build.BanksNotFound())
        err << prefix << "bank " << bank << " not found in the firmware\n";
    if (build.failed) {
        err << prefix << build.message << "\n";
        return kExitInvalid;
    }
    out << "Wrote " << target.string() << "\n";
    return kExitOk;
}

} // namespace gw::cli
