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
bool WithinMaxCorrection(const std::vector<GridPoint>& grid, double limit, std::string& error) {
    for (const GridPoint& p : grid) {
        for (const Figure& value : {p.up, p.down}) {
            if (value && std::fabs(*value) > limit) {
                error = "the value " + Length(*value) + " at " + FixedText(p.position, 4) +
                        " is beyond the largest correction " + Length(limit) +
                        " (--max-correction)";
                return false;
            }
        }
    }
    return true;
}

std::vector<std::string> Comments(const ExportOptions& options, const MeasuredAxis& measured,
                                  const std::string& zero) {
    std::string axis(1, measured.axis);
    std::vector<std::string> lines = {
        "pitchwise-export: axis " + axis + ", measurement " + std::to_string(measured.measurement) +
            " (runs " + std::to_string(measured.firstRun) + " to " +
            std::to_string(measured.lastRun) + ": " + std::to_string(measured.runsUp) + " up, " +
            std::to_string(measured.runsDown) + " down) of " + options.runLog,
        std::string("deviation = actual - target, lengths in ") + UnitName(options.unit),
        zero,
        TemperatureText(options.temperature),
    };
    return lines;
}

}  // namespace

bool ExportTable(const std::vector<LoggedRun>& log, const ExportOptions& options,
                 ExportResult& result, std::string& error) {
    result = ExportResult();
    const TableFormat& format = *options.format;
    MeasuredAxis measured;
    if (!SelectMeasurement(log, options.axis, options.measurement, measured, error)) return false;
    const bool both = BothDirections(measured);
    if (format.twoColumns && !both) {
        error = std::string(format.name) + " holds one column per direction, and measurement " +
                std::to_string(measured.measurement) + " of axis " + options.axis +
                " moved one way only";
        return false;
    }
    if (format.fixedUnit && options.unit == LengthUnit::UNKNOWN) {
        error = std::string(format.name) + " holds lengths in a unit of its own: give --unit mm " +
                "or --unit inch (the machine's length unit)";
        return false;
    }

    Normalise(measured, options.temperature);
    std::string zero =
        "zero: the measurement's reference, " + FixedText(measured.reference, 4) + " (not shifted)";
    if (options.zeroAt) {
        double shift = 0;
        if (!ZeroShiftAt(measured.points, *options.zeroAt, shift, error)) return false;
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
    ExportedTable table;
    if (!BuildGrid(measured.points, request, table.grid, error)) return false;
    if (!WithinMaxCorrection(table.grid, MaxCorrection(options), error)) return false;

    table.axis = options.axis;
    table.unit = options.unit;
    table.spacing = table.grid.size() > 1 ? table.grid[1].position - table.grid[0].position : 0;
    table.meanReversal = measured.meanReversal;
    table.comments = Comments(options, measured, zero);
    table.machineAxis = options.machineAxis;
    table.measuringSystem = options.measuringSystem;
    table.logicalAxis = options.logicalAxis.value_or(1);
    if (format.write(table, result.text, result.notes, error)) return true;
    result = ExportResult();
    return false;
}

}  // namespace pitchwise
