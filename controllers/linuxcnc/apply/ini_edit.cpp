#include "ini_edit.h"

namespace pitchwise {

namespace {

struct Line {
    std::string text;  // without its end
    std::string end;   // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t newline = text.find('\n', at);
        if (newline == std::string::npos) {
            lines.push_back(Line{text.substr(at), ""});
            break;
        }
        std::size_t stop = newline;
        if (stop > at && text[stop - 1] == '\r') --stop;
        lines.push_back(Line{text.substr(at, stop - at), text.substr(stop, newline + 1 - stop)});
        at = newline + 1;
    }
    return lines;
}

std::string FileLineEnd(const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (!line.end.empty()) return line.end;
    }
    return "\n";
}

bool Continues(const std::string& line) {
    const std::size_t last = line.find_last_not_of(" \t\r");
    return last != std::string::npos && line[last] == '\\';
}

std::string Replaced(const std::string& line, const IniEdit& edit) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return edit.key + " = " + edit.value;
    std::size_t valueAt = equals + 1;
    while (valueAt < line.size() && (line[valueAt] == ' ' || line[valueAt] == '\t')) ++valueAt;
    return line.substr(0, valueAt) + edit.value;
}

std::string EditOne(const std::string& text, const std::vector<const IniEdit*>& edits,
                    std::string& diff) {
    const std::vector<Line> lines = SplitLines(text);
    std::string out;
    auto note = [&diff](std::size_t line, const char* where) {
        diff += "@@ " + std::string(where) + std::to_string(line + 1) + " @@\n";
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const IniEdit* replace = nullptr;
        for (const IniEdit* edit : edits) {
            if (edit->lines > 0 && edit->line == i) replace = edit;
        }
        std::size_t last = i;
        if (replace != nullptr) {
            last = std::min(lines.size(), i + replace->lines) - 1;
            const std::string changed = Replaced(lines[i].text, *replace);
            note(i, "line ");
            for (std::size_t k = i; k <= last; ++k) diff += "-" + lines[k].text + "\n";
            diff += "+" + changed + "\n";
            out += changed + lines[last].end;
        } else {
            out += lines[i].text + lines[i].end;
        }
        bool noted = false;
        for (const IniEdit* edit : edits) {
            if (edit->lines != 0 || edit->line != last) continue;
            // A last line without an end needs one before anything follows it.
            std::string end = lines[last].end;
            if (out.empty() || out.back() != '\n') {
                out += FileLineEnd(lines);
                end.clear();
            }
            // A line continued by '\' at the end of the file would take the
            // new keys into its value: an empty line ends it first.
            const bool endContinuation =
                !noted && replace == nullptr && Continues(lines[last].text);
            if (endContinuation) out += FileLineEnd(lines);
            if (!noted) note(last, "after line ");
            if (endContinuation) diff += "+\n";
            noted = true;
            const std::string added = edit->key + " = " + edit->value;
            diff += "+" + added + "\n";
            out += added + (end.empty() ? std::string() : end);
        }
        i = last;
    }
    return out;
}

}  // namespace

IniEditResult EditIniTexts(const std::vector<std::string>& texts,
                           const std::vector<IniEdit>& edits) {
    IniEditResult result;
    for (std::size_t file = 0; file < texts.size(); ++file) {
        std::vector<const IniEdit*> mine;
        for (const IniEdit& edit : edits) {
            if (edit.file == file) mine.push_back(&edit);
        }
        std::string diff;
        result.texts.push_back(mine.empty() ? texts[file] : EditOne(texts[file], mine, diff));
        result.diffs.push_back(diff);
    }
    return result;
}

}  // namespace pitchwise
