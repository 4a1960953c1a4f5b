#include "ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "text.h"
#include "text_file.h"

namespace pitchwise {

namespace {

struct LogicalLine {
    std::string text;
    std::size_t first;  // physical line it begins on, from 0
    std::size_t lines;
};

// Joins lines that end in '\' with the next one.
std::vector<LogicalLine> LogicalLines(const std::string& text) {
    std::vector<LogicalLine> lines;
    std::istringstream input(text);
    std::string line;
    std::string pending;
    bool continuing = false;
    std::size_t number = 0;
    std::size_t first = 0;
    for (; std::getline(input, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string trimmed = Trim(line);
        bool continues = !trimmed.empty() && trimmed.back() == '\\';
        if (continues) trimmed.pop_back();
        if (!continuing) first = number;
        pending = continuing ? pending + (pending.empty() ? "" : " ") + Trim(trimmed) : trimmed;
        continuing = continues;
        if (!continuing) {
            lines.push_back(LogicalLine{Trim(pending), first, number - first + 1});
            pending.clear();
        }
    }
    if (continuing) lines.push_back(LogicalLine{Trim(pending), first, number - first});
    return lines;
}

}  // namespace

void CIniFile::Parse(const std::string& text) {
    for (const LogicalLine& logical : LogicalLines(text)) {
        const std::string& line = logical.text;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            m_sections.push_back(
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            m_sectionLines.push_back(logical.first);
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        m_entries.push_back(Entry{static_cast<int>(m_sections.size()) - 1,
                                  Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)),
                                  logical.first, logical.lines});
    }
}

bool CIniFile::Load(const std::string& path, std::string& error) {
    return Expand(path, nullptr, error);
}

bool CIniFile::Load(const std::string& path, std::vector<std::string>& skipped,
                    std::string& error) {
    return Expand(path, &skipped, error);
}

bool CIniFile::Expand(const std::string& path, std::vector<std::string>* skipped,
                      std::string& error) {
    std::string text;
    if (ReadTextFile(path, text, error) != FileRead::READ) {
        if (error.empty())
            error = "cannot read the INI file " + path + ": " + std::strerror(ENOENT);
        return false;
    }
    m_files.push_back(path);
    const std::string folder = FolderOf(path);
    std::string expanded;
    std::istringstream lines(text);
    std::string line;
    for (std::size_t number = 0; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string first;
        std::string name;
        words >> first >> name;
        if (first != "#INCLUDE") {
            expanded += line + "\n";
            m_origins.push_back(IniPlace{0, number, 1});
            continue;
        }
        const char* home = std::getenv("HOME");
        if (name.compare(0, 2, "~/") == 0 && home != nullptr)
            name = std::string(home) + name.substr(1);
        else if (!name.empty() && name[0] != '/')
            name = folder + "/" + name;
        std::string included;
        std::string why;
        if (name.empty() || ReadTextFile(name, included, why) != FileRead::READ) {
            error = name.empty() ? path + " has an #INCLUDE without a file name"
                                 : "cannot read the file " + name + " that " + path + " includes" +
                                       (why.empty() ? std::string() : " (" + why + ")");
            if (skipped == nullptr) return false;
            skipped->push_back(error + " (line " + std::to_string(number + 1) +
                               "): LinuxCNC skips it too");
            continue;
        }
        m_files.push_back(name);
        included += "\n";
        std::istringstream includedLines(included);
        for (std::size_t at = 0; std::getline(includedLines, line); ++at)
            m_origins.push_back(IniPlace{m_files.size() - 1, at, 1});
        expanded += included;
    }
    error.clear();
    Parse(expanded);
    return true;
}

int CIniFile::FirstSection(const std::string& section) const {
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i] == section) return static_cast<int>(i);
    }
    return -1;
}

bool CIniFile::HasSection(const std::string& section) const {
    return FirstSection(section) >= 0;
}

bool CIniFile::Find(const std::string& section, const std::string& key, std::string& value) const {
    const int wanted = FirstSection(section);
    if (wanted < 0) return false;
    for (const Entry& entry : m_entries) {
        if (entry.section == wanted && entry.key == key) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

IniPlace CIniFile::PlaceOf(std::size_t line, std::size_t lines) const {
    if (line >= m_origins.size()) return IniPlace{0, line, lines};
    IniPlace place = m_origins[line];
    place.lines = lines;
    return place;
}

bool CIniFile::FindPlace(const std::string& section, const std::string& key,
                         IniPlace& place) const {
    const int wanted = FirstSection(section);
    for (const Entry& entry : m_entries) {
        if (wanted >= 0 && entry.section == wanted && entry.key == key) {
            place = PlaceOf(entry.line, entry.lines);
            return true;
        }
    }
    return false;
}

bool CIniFile::SectionEndPlace(const std::string& section, IniPlace& place) const {
    const int wanted = FirstSection(section);
    if (wanted < 0) return false;
    place = PlaceOf(m_sectionLines[static_cast<std::size_t>(wanted)], 1);
    for (const Entry& entry : m_entries) {
        if (entry.section == wanted) place = PlaceOf(entry.line, entry.lines);
    }
    return true;
}

}  // namespace pitchwise
