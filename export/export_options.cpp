#include "export_options.h"

#include "number_text.h"

namespace pitchwise {

const char* const EXPORT_USAGE_LINE =
    "usage: pitchwise-export RUNLOG --axis X|Y|Z --to FORMAT [options] [-o FILE]"
    "   (pitchwise-export --help says more)\n";

const char* const EXPORT_USAGE =
    "usage: pitchwise-export RUNLOG --axis X|Y|Z --to FORMAT [options] [-o FILE]\n"
    "\n"
    "Writes one axis's compensation table, from the latest mapping measurement\n"
    "in the run log, in a controller's format.\n"
    "\n"
    "  --axis X|Y|Z          the axis whose table is written\n"
    "  --to FORMAT           the controller's format, one of:\n"
    "      linuxcnc          LinuxCNC COMP_FILE_TYPE 0, actual positions per direction\n"
    "      linuxcnc-offsets  LinuxCNC COMP_FILE_TYPE 1, trims per direction\n"
    "      siemens-lec       leadscrew error compensation (%_N_AX_EEC_INI), mm\n"
    "      isg               leadscrew compensation list (kw.ssfk), 0.1 um\n"
    "      csv               target, means, reversal, s per direction\n"
    "  -o FILE               write the table into FILE (\"-\", the default: standard output)\n"
    "  --unit mm|inch        the machine's length unit (needed by siemens-lec, isg)\n"
    "  --spacing S           grid spacing (default: the measured one, when even)\n"
    "  --from A --until B    the grid's range (default: the measured range)\n"
    "  --zero-at P           shift the table to 0 at P (default: the reference)\n"
    "  --measurement N       that measurement instead of the latest\n"
    "  --max-correction C    refuse larger values (default 0.5 mm)\n"
    "  --max-points N        siemens-lec: MD38000's limit (default 200)\n"
    "  --machine-axis NAME   siemens-lec: the machine axis (default X1, Y1, Z1)\n"
    "  --measuring-system E  siemens-lec: 0 or 1 (default 0)\n"
    "  --logical-axis N      isg: the logical axis number (default X 1, Y 2, Z 3)\n"
    "  -h, --help            print this help and exit\n";

namespace {

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 9) return false;
    long long parsed = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        parsed = parsed * 10 + (c - '0');
    }
    if (parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool MachineAxisName(const std::string& name) {
    if (name.empty() || name.size() > 16) return false;
    if (!((name[0] >= 'A' && name[0] <= 'Z') || name[0] == '_')) return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

struct Parser {
    const std::vector<std::string>& args;
    std::size_t i;
    std::string& error;

    // The option's value, or false with the reason.
    bool Value(std::string& value) {
        if (i + 1 >= args.size()) {
            error = args[i] + " needs a value";
            return false;
        }
        value = args[++i];
        return true;
    }
    bool Number(std::optional<double>& number) {
        std::string text;
        double value = 0;
        if (!Value(text)) return false;
        if (!ReadDecimal(text, value)) {
            error = args[i - 1] + " takes a decimal number, not \"" + text + "\"";
            return false;
        }
        number = value;
        return true;
    }
    bool Whole(long long low, long long high, long long& number) {
        std::string text;
        if (!Value(text)) return false;
        if (!ReadWhole(text, low, high, number)) {
            error = args[i - 1] + " takes a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high);
            return false;
        }
        return true;
    }
};

// Options that only one format reads, seen on the command line: given to
// another format they would be silently ignored.
struct FormatOnly {
    bool siemens = false;
    bool isg = false;
};

bool TakeOption(Parser& p, ExportOptions& o, FormatOnly& only) {
    const std::string& name = p.args[p.i];
    std::string text;
    long long whole = 0;
    if (name == "--axis") {
        if (!p.Value(text)) return false;
        if (text.size() != 1 || std::string("XYZxyz").find(text[0]) == std::string::npos) {
            p.error = "--axis takes X, Y or Z";
            return false;
        }
        o.axis = static_cast<char>(text[0] & ~0x20);
    } else if (name == "--to") {
        if (!p.Value(text)) return false;
        o.format = FindTableFormat(text);
        if (o.format == nullptr) {
            p.error = "--to takes linuxcnc, linuxcnc-offsets, siemens-lec, isg or csv, not \"" +
                      text + "\"";
            return false;
        }
    } else if (name == "--unit") {
        if (!p.Value(text)) return false;
        if (text != "mm" && text != "inch") {
            p.error = "--unit takes mm or inch";
            return false;
        }
        o.unit = text == "mm" ? LengthUnit::MM : LengthUnit::INCH;
    } else if (name == "--spacing") {
        return p.Number(o.spacing);
    } else if (name == "--from") {
        return p.Number(o.from);
    } else if (name == "--until") {
        return p.Number(o.until);
    } else if (name == "--zero-at") {
        return p.Number(o.zeroAt);
    } else if (name == "--max-correction") {
        if (!p.Number(o.maxCorrection)) return false;
        if (*o.maxCorrection <= 0) {
            p.error = "--max-correction must be above 0";
            return false;
        }
    } else if (name == "--measurement") {
        if (!p.Whole(1, 999999999, whole)) return false;
        o.measurement = static_cast<int>(whole);
    } else if (name == "--max-points") {
        if (!p.Whole(2, 100000, whole)) return false;
        o.maxPoints = static_cast<std::size_t>(whole);
        only.siemens = true;
    } else if (name == "--machine-axis") {
        if (!p.Value(o.machineAxis)) return false;
        if (!MachineAxisName(o.machineAxis)) {
            p.error = "--machine-axis takes a name of capitals, digits and '_', such as X1";
            return false;
        }
        only.siemens = true;
    } else if (name == "--measuring-system") {
        if (!p.Whole(0, 1, whole)) return false;
        o.measuringSystem = static_cast<int>(whole);
        only.siemens = true;
    } else if (name == "--logical-axis") {
        if (!p.Whole(1, 9999, whole)) return false;
        o.logicalAxis = static_cast<int>(whole);
        only.isg = true;
    } else if (name == "-o") {
        if (!p.Value(o.output)) return false;
        if (o.output.empty()) {
            p.error = "-o needs a file name";
            return false;
        }
    } else {
        switch (TakeTemperatureOption(p.args, p.i, o.temperature, p.error)) {
            case OptionTaken::TAKEN:
                return true;
            case OptionTaken::BAD:
                return false;
            case OptionTaken::NOT_MINE:
                break;
        }
        p.error = "unknown option " + name;
        return false;
    }
    return true;
}

}  // namespace

bool ParseExportOptions(const std::vector<std::string>& args, ExportOptions& options,
                        std::string& error) {
    options = ExportOptions();
    FormatOnly only;
    Parser parser{args, 0, error};
    for (; parser.i < args.size(); ++parser.i) {
        const std::string& argument = args[parser.i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return true;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            if (!TakeOption(parser, options, only)) return false;
        } else if (argument.empty() || argument == "-" || !options.runLog.empty()) {
            error = "one run log, please: \"" + argument + "\" is one too many";
            return false;
        } else {
            options.runLog = argument;
        }
    }
    if (options.runLog.empty() || options.axis == 0 || options.format == nullptr) {
        error = "the run log, --axis and --to are needed";
        return false;
    }
    if (!FinishTemperatureOptions(options.temperature, error)) return false;
    const std::string format = options.format->name;
    const bool siemens = format == "siemens-lec";
    if (!siemens && only.siemens) {
        error = "--max-points, --machine-axis and --measuring-system are for siemens-lec only";
        return false;
    }
    if (format != "isg" && only.isg) {
        error = "--logical-axis is for isg only";
        return false;
    }
    if (options.machineAxis.empty()) options.machineAxis = std::string(1, options.axis) + "1";
    if (!options.logicalAxis) options.logicalAxis = options.axis - 'X' + 1;
    return true;
}

double MaxCorrection(const ExportOptions& options) {
    if (options.maxCorrection) return *options.maxCorrection;
    const double mm = MillimetresPerUnit(options.unit);
    return mm == 0.0 ? 0.5 : 0.5 / mm;
}

}  // namespace pitchwise
