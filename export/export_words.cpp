#include "export_words.h"

#include "length_unit.h"
#include "number_text.h"

namespace pitchwise {

namespace {

std::string Position(double value) {
    return FixedText(value, 4);
}

std::string Count(double value) {
    return FixedText(value, 0);
}

std::string Unit(double number) {
    return UnitName(static_cast<LengthUnit>(static_cast<int>(number)));
}

std::string Range(const ExportStatus& s, std::size_t from) {
    return "the grid from " + ShortLength(s.number(from)) + " to " +
           ShortLength(s.number(from + 1));
}

std::string Fits(const ExportStatus& s) {
    const double smaller = s.number(3);
    const double larger = s.number(4);
    if (smaller == 0 && larger == 0) return "no spacing fits it";
    std::string text = "spacings that fit: ";
    if (smaller != 0) text += ShortLength(smaller);
    if (smaller != 0 && larger != 0) text += " or ";
    if (larger != 0) text += ShortLength(larger);
    return text;
}

}  // namespace

std::string ShortLength(double value) {
    std::string text = FixedText(value, 9);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string ExportWords(const ExportStatus& s) {
    const std::string& subject = s.subject();
    const std::string measurement = Count(s.number(0));
    switch (s.code()) {
        case ExportCode::OK:
            return "done";
        case ExportCode::NO_MEASUREMENT:
            return "the run log holds no mapping measurement" +
                   (s.number(0) == 0 ? std::string() : " " + measurement) + " of axis " + subject;
        case ExportCode::NO_MEASURED_POINT:
            return "measurement " + measurement + " of axis " + subject +
                   " holds no measured point";
        case ExportCode::MIXED_UNITS:
            return "the runs of measurement " + measurement + " of axis " + subject +
                   " are logged in different units";
        case ExportCode::ONE_DIRECTION_ONLY:
            return subject + " holds one column per direction, and measurement " + measurement +
                   " moved one way only";
        case ExportCode::UNIT_NEEDED:
            return subject +
                   " holds lengths in a unit of its own, and the run log does not record the "
                   "machine's: give --unit mm or --unit inch";
        case ExportCode::UNIT_CONTRADICTS:
            return "--unit " + Unit(s.number(0)) +
                   " contradicts the run log, whose lengths are in " + Unit(s.number(1)) +
                   ": leave --unit out";
        case ExportCode::BASIC_SYSTEM_NEEDED:
            return subject + " needs --basic-system metric or inch (the control's MD10240)";
        case ExportCode::ZERO_OUTSIDE:
            return "--zero-at " + Position(s.number(0)) + " lies outside the measured range";
        case ExportCode::NO_RANGE:
            return s.number(0) != 0
                       ? "no range of two or more targets was measured in both directions"
                       : "no range of two or more targets was measured";
        case ExportCode::UNEVEN_TARGETS:
            return "the measured targets are not evenly spaced: give --spacing";
        case ExportCode::GRID_OUTSIDE:
            return Range(s, 0) + " lies outside the measured range " + Position(s.number(2)) +
                   " to " + Position(s.number(3)) + (s.number(4) != 0 ? " (both directions)" : "") +
                   ": a table is never extrapolated";
        case ExportCode::GRID_START_NOT_BELOW_END:
            return "the grid's start " + ShortLength(s.number(0)) + " must lie below its end " +
                   ShortLength(s.number(1));
        case ExportCode::SPACING_NOT_POSITIVE:
            return "the spacing " + ShortLength(s.number(0)) +
                   " must be above 0 and at most the grid's length " + ShortLength(s.number(1));
        case ExportCode::GRID_ENDS_NOT_WRITABLE:
            return Range(s, 0) + " cannot be written: the file places points in whole " +
                   ShortLength(s.number(2)) + " (machine unit); give --from and --until so";
        case ExportCode::SPACING_DOES_NOT_FIT:
            return "the spacing " + ShortLength(s.number(0)) + " does not divide the grid from " +
                   ShortLength(s.number(1)) + " to " + ShortLength(s.number(2)) +
                   " into whole steps the file can write, so the table would end short; " + Fits(s);
        case ExportCode::TOO_MANY_POINTS:
            return Range(s, 0) + " by " + ShortLength(s.number(2)) + " needs " +
                   Count(s.number(3)) + " points, more than the " + Count(s.number(4)) +
                   " the format takes" +
                   (s.number(5) != 0 ? ": a spacing of " + ShortLength(s.number(5)) + " fits"
                                     : ": no spacing fits");
        case ExportCode::BEYOND_MAX_CORRECTION:
            return "the value " + FixedText(s.number(0), 6) + " at " + Position(s.number(1)) +
                   " is beyond the largest correction " + FixedText(s.number(2), 6) +
                   " (--max-correction)";
        case ExportCode::LACKS_DIRECTION:
            return "the point at " + Position(s.number(0)) + " lacks a direction";
        case ExportCode::VALUE_TOO_LARGE:
            return "the value at " + Position(s.number(0)) + " does not fit the file's integers";
        case ExportCode::END_VALUES_HELD:
            return "the first and last values (" + FixedText(s.number(0), 6) + ", " +
                   FixedText(s.number(1), 6) +
                   ") stay in force beyond the table: make them 0 (a range over the whole "
                   "travel, or --zero-at) unless the table covers it";
    }
    return "refused";
}

}  // namespace pitchwise
