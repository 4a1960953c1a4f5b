// A LinuxCNC INI file read the way LinuxCNC reads it, so the library sees
// the same limits and compensation file as the machine it moves.
#pragma once

#include <string>
#include <vector>

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

    // The first section of that name and, in it, the first key of that name
    // win, as in LinuxCNC: later duplicates are never seen.
    bool Find(const std::string& section, const std::string& key, std::string& value) const;
    bool HasSection(const std::string& section) const;

    // Every file Load read: the INI and its included files.
    const std::vector<std::string>& Files() const { return m_files; }

  private:
    struct Entry {
        int section;  // index into m_sections; -1 before the first header
        std::string key;
        std::string value;
    };
    std::vector<std::string> m_sections;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_files;
};
