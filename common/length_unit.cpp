#include "length_unit.h"

namespace pitchwise {

double MillimetresPerUnit(LengthUnit unit) {
    switch (unit) {
        case LengthUnit::MM:
            return 1.0;
        case LengthUnit::INCH:
            return 25.4;
        case LengthUnit::UNKNOWN:
            break;
    }
    return 0.0;
}

const char* UnitName(LengthUnit unit) {
    switch (unit) {
        case LengthUnit::MM:
            return "mm";
        case LengthUnit::INCH:
            return "inch";
        case LengthUnit::UNKNOWN:
            break;
    }
    return "the machine's length unit";
}

bool UnitFromName(const std::string& name, LengthUnit& unit) {
    if (name == "mm") {
        unit = LengthUnit::MM;
    } else if (name == "inch") {
        unit = LengthUnit::INCH;
    } else {
        return false;
    }
    return true;
}

}  // namespace pitchwise
