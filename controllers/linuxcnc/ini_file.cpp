#include "ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "text.h"
#include "text_file.h"

namespace {

// Joins lines that end in '\' with the next one.
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream input(text);
    std::string line;
    std::string pending;
    bool continuing = false;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string trimmed = Trim(line);
        bool continues = !trimmed.empty() && trimmed.back() == '\\';
        if (continues) trimmed.pop_back();
        pending = continuing ? pending + (pending.empty() ? "" : " ") + Trim(trimmed) : trimmed;
        continuing = continues;
        if (!continuing) {
            lines.push_back(Trim(pending));
            pending.clear();
        }
    }
    if (continuing) lines.push_back(Trim(pending));
    return lines;
}

}  // namespace

void CIniFile::Parse(const std::string& text) {
    for (const std::string& line : LogicalLines(text)) {
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            m_sections.push_back(
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        m_entries.push_back(Entry{static_cast<int>(m_sections.size()) - 1,
                                  Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
}

bool CIniFile::Load(const std::string& path, std::string& error) {
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
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first;
        std::string name;
        words >> first >> name;
        if (first != "#INCLUDE") {
            expanded += line + "\n";
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
            error = "cannot read the file " + name + " that " + path + " includes" +
                    (why.empty() ? std::string() : " (" + why + ")");
            return false;
        }
        m_files.push_back(name);
        expanded += included + "\n";
    }
    Parse(expanded);
    return true;
}

bool CIniFile::HasSection(const std::string& section) const {
    for (const std::string& name : m_sections) {
        if (name == section) return true;
    }
    return false;
}

bool CIniFile::Find(const std::string& section, const std::string& key, std::string& value) const {
    int wanted = -1;
    for (std::size_t i = 0; i < m_sections.size() && wanted < 0; ++i) {
        if (m_sections[i] == section) wanted = static_cast<int>(i);
    }
    if (wanted < 0) return false;
    for (const Entry& entry : m_entries) {
        if (entry.section == wanted && entry.key == key) {
            value = entry.value;
            return true;
        }
    }
    return false;
}
