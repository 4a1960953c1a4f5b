#include "map_command.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace pitchwise {

namespace {

bool IsAxis(char c) {
    return c == 'X' || c == 'Y' || c == 'Z';
}

// A plain decimal as "%.4f" prints it: optional '-', digits, optional
// fraction. No exponent, no "inf", no locale: what strtod takes beyond that
// is not something Pitchwise sends.
bool ParseDecimal(const char* text, double& value) {
    const char* p = text;
    if (*p == '-') ++p;
    const char* digits = p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    if (p == digits) return false;
    if (*p == '.') {
        ++p;
        const char* fraction = p;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
        if (p == fraction) return false;
    }
    if (*p != '\0' || p - text > 40) return false;
    double magnitude = 0.0;
    double scale = 0.0;
    for (const char* c = digits; *c != '\0'; ++c) {
        if (*c == '.') {
            scale = 1.0;
            continue;
        }
        magnitude = magnitude * 10.0 + (*c - '0');
        if (scale != 0.0) scale *= 10.0;
    }
    if (scale != 0.0) magnitude /= scale;
    value = text[0] == '-' ? -magnitude : magnitude;
    return std::isfinite(value);
}

bool ParseIndex(const char* text, int& index, const char*& rest) {
    const char* p = text;
    long n = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)) && p - text < 9) n = n * 10 + (*p++ - '0');
    if (p == text || std::isdigit(static_cast<unsigned char>(*p))) return false;
    index = static_cast<int>(n);
    rest = p;
    return true;
}

MapCommand Motion(MapCommandKind kind, const char* line) {
    MapCommand command;
    if (!IsAxis(line[2]) || !ParseDecimal(line + 3, command.value)) return MapCommand();
    command.kind = kind;
    command.axis = line[2];
    return command;
}

}  // namespace

MapCommand ParseMapCommand(const char* line) {
    MapCommand command;
    if (line == nullptr) return command;
    if (std::strcmp(line, "L600") == 0) {
        command.kind = MapCommandKind::DISABLE_COMPENSATION;
    } else if (std::strcmp(line, "L601") == 0) {
        command.kind = MapCommandKind::END_MAPPING;
    } else if (std::strcmp(line, "G4D1") == 0) {
        command.kind = MapCommandKind::DWELL;
    } else if (std::strncmp(line, "L602", 4) == 0) {
        // The axis is given twice; a line whose two letters differ is not ours.
        if (IsAxis(line[4]) && line[5] == line[4] && line[6] == '\0') {
            command.kind = MapCommandKind::BEGIN_MAPPING;
            command.axis = line[4];
        }
    } else if (std::strncmp(line, "G0", 2) == 0) {
        command = Motion(MapCommandKind::MOVE_TO_START, line);
    } else if (std::strncmp(line, "G1", 2) == 0) {
        command = Motion(MapCommandKind::STEP, line);
    } else if (std::strncmp(line, "L606 N", 6) == 0) {
        const char* rest = nullptr;
        if (ParseIndex(line + 6, command.index, rest) && std::strncmp(rest, " V", 2) == 0 &&
            ParseDecimal(rest + 2, command.value)) {
            command.kind = MapCommandKind::ENTRY;
        }
    }
    return command;
}

}  // namespace pitchwise
