// A LinuxCNC INI file read the way LinuxCNC reads it, so the library sees
// the same limits and compensation file as the machine it moves.
#pragma once

#include <string>
#include <vector>

namespace pitchwise {

// Where a line of the INI came from: which file Load read (index into
// Files()) and its line there, from 0, and how many lines it spans (a value
// continued with '\' spans more than one).
struct IniPlace {
    std::size_t file = 0;
    std::size_t line = 0;
    std::size_t lines = 1;
};

class CIniFile {
  public:
    // Takes the text apart: '#' and ';' start comment lines, a header may
    // carry a comment after its ']', and a line ending in '\' goes on in the
    // next line.
    void Parse(const std::string& text);

    // Reads `path` and every file its "#INCLUDE name" lines name (relative
    // to the INI's folder, or "~/..."), in place, as LinuxCNC's start script
    // does. False with the reason when a file cannot be read.
    bool Load(const std::string& path, std::string& error);
    // As LinuxCNC's start script does: an #INCLUDE it cannot read is
    // skipped and said in `skipped`, not refused.
    bool Load(const std::string& path, std::vector<std::string>& skipped, std::string& error);

    // The first section of that name and, in it, the first key of that name
    // win, as in LinuxCNC: later duplicates are never seen.
    bool Find(const std::string& section, const std::string& key, std::string& value) const;
    bool HasSection(const std::string& section) const;

    // Every file Load read: the INI and its included files.
    const std::vector<std::string>& Files() const { return m_files; }

    // Where Find's key stands, so an editor can change it in its own file.
    bool FindPlace(const std::string& section, const std::string& key, IniPlace& place) const;
    // The last line of the section Find reads (its last key, else its
    // header): where a key it lacks goes.
    bool SectionEndPlace(const std::string& section, IniPlace& place) const;

  private:
    bool Expand(const std::string& path, std::vector<std::string>* skipped, std::string& error);
    IniPlace PlaceOf(std::size_t line, std::size_t lines) const;
    int FirstSection(const std::string& section) const;

    struct Entry {
        int section;  // index into m_sections; -1 before the first header
        std::string key;
        std::string value;
        std::size_t line;  // of the parsed text, from 0
        std::size_t lines;
    };
    std::vector<std::string> m_sections;
    std::vector<std::size_t> m_sectionLines;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_files;
    std::vector<IniPlace> m_origins;  // per line of the parsed text, when loaded
};

}  // namespace pitchwise
