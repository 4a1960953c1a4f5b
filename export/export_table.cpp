#include "export_table.h"

#include <cmath>

#include "measured_axis.h"
#include "number_text.h"
#include "table_zero.h"

namespace pitchwise {

namespace {

std::string Length(double value) {
    return FixedText(value, 6);
}

bool BothDirections(const MeasuredAxis& measured) {
    bool up = false;
    bool down = false;
    for (const MeasuredPoint& p : measured.points) {
        up = up || p.meanUp.has_value();
        down = down || p.meanDown.has_value();
    }
    return up && down;
}

void Normalise(MeasuredAxis& measured, const TemperatureOptions& temperature) {
    for (MeasuredPoint& p : measured.points) {
        for (Figure* mean : {&p.meanUp, &p.meanDown})
            if (*mean)
                **mean = NormalisedDeviation(**mean, p.target, measured.reference, temperature);
    }
}

// Values beyond the limit would move the axis further than any sound
// machine is off: a slipped unit or a broken measurement, not a table.
ExportStatus WithinMaxCorrection(const std::vector<GridPoint>& grid, double limit) {
    for (const GridPoint& p : grid) {
        for (const Figure& value : {p.up, p.down}) {
            if (value && std::fabs(*value) > limit)
                return ExportStatus(ExportCode::BEYOND_MAX_CORRECTION, {*value, p.position, limit});
        }
    }
    return ExportStatus();
}

std::vector<std::string> Comments(const ExportOptions& options, const MeasuredAxis& measured,
                                  LengthUnit unit, const std::string& zero) {
    std::string axis(1, measured.axis);
    std::vector<std::string> lines = {
        "pitchwise-export: axis " + axis + ", measurement " + std::to_string(measured.measurement) +
            " (runs " + std::to_string(measured.firstRun) + " to " +
            std::to_string(measured.lastRun) + ": " + std::to_string(measured.runsUp) + " up, " +
            std::to_string(measured.runsDown) + " down) of " + options.runLog,
        std::string("deviation = actual - target, machine coordinates, lengths in ") +
            UnitName(unit) +
            (measured.unit != LengthUnit::UNKNOWN ? " (from the run log)"
             : unit != LengthUnit::UNKNOWN        ? " (as given; the run log does not say)"
                                                  : ""),
        zero,
        "advice: 0 at the machine's reference point, so that switching the table on moves "
        "nothing there",
        TemperatureText(options.temperature),
    };
    return lines;
}

}  // namespace

ExportStatus ExportTable(const std::vector<LoggedRun>& log, const ExportOptions& options,
                         ExportResult& result) {
    result = ExportResult();
    const TableFormat& format = *options.format;
    MeasuredAxis measured;
    ExportStatus status = SelectMeasurement(log, options.axis, options.measurement, measured);
    if (!status) return status;
    const double measurement = static_cast<double>(measured.measurement);
    if (measured.unit != LengthUnit::UNKNOWN && options.unit != LengthUnit::UNKNOWN &&
        measured.unit != options.unit) {
        return ExportStatus(ExportCode::UNIT_CONTRADICTS, {static_cast<double>(options.unit),
                                                           static_cast<double>(measured.unit)});
    }
    const LengthUnit unit = measured.unit != LengthUnit::UNKNOWN ? measured.unit : options.unit;
    const bool both = BothDirections(measured);
    if (format.twoColumns && !both)
        return ExportStatus(ExportCode::ONE_DIRECTION_ONLY, {measurement}, format.name);
    if (format.fixedUnit && unit == LengthUnit::UNKNOWN)
        return ExportStatus(ExportCode::UNIT_NEEDED, {}, format.name);
    if (format.fileUnit == FileUnit::BASIC_SYSTEM && options.basicSystem == LengthUnit::UNKNOWN)
        return ExportStatus(ExportCode::BASIC_SYSTEM_NEEDED, {}, format.name);

    Normalise(measured, options.temperature);
    std::string zero =
        "zero: the measurement's reference, " + FixedText(measured.reference, 4) + " (not shifted)";
    if (options.zeroAt) {
        double shift = 0;
        status = ZeroShiftAt(measured.points, *options.zeroAt, shift);
        if (!status) return status;
        ShiftMeans(measured.points, shift);
        zero = "zero at " + FixedText(*options.zeroAt, 4) + ": every value shifted by " +
               Length(-shift);
    }

    GridRequest request;
    request.spacing = options.spacing;
    request.from = options.from;
    request.until = options.until;
    request.maxPoints = format.maxPoints != 0 ? format.maxPoints : options.maxPoints;
    request.bothDirections = !format.eitherDirection;
    request.resolution = MachineResolution(format, unit, options.basicSystem);
    ExportedTable table;
    status = BuildGrid(measured.points, request, table.grid);
    if (!status) return status;
    status = WithinMaxCorrection(table.grid, MaxCorrection(options, unit));
    if (!status) return status;

    table.axis = options.axis;
    table.unit = unit;
    table.basicSystem = options.basicSystem;
    table.spacing = table.grid.size() > 1 ? table.grid[1].position - table.grid[0].position : 0;
    table.meanReversal = measured.meanReversal;
    table.comments = Comments(options, measured, unit, zero);
    table.machineAxis = options.machineAxis;
    table.measuringSystem = options.measuringSystem;
    table.logicalAxis = options.logicalAxis.value_or(1);
    status = format.write(table, result.text, result.notes);
    if (!status) {
        result = ExportResult();
        return status;
    }
    result.unit = unit;
    return status;
}

}  // namespace pitchwise
