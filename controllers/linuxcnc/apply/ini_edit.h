// Changes to single keys of INI files made in place: every other byte of
// each file (comments, blank lines, key order, line ends) stays as it was,
// so an owner's file reads the same after the change but for those keys.
#pragma once

#include <string>
#include <vector>

namespace pitchwise {

struct IniEdit {
    std::size_t file = 0;   // index into the texts given
    std::size_t line = 0;   // from 0
    std::size_t lines = 0;  // lines the key spans now; 0: a new key after `line`
    std::string key;
    std::string value;
};

struct IniEditResult {
    std::vector<std::string> texts;  // one per text given
    std::vector<std::string> diffs;  // per text, "-"/"+" lines under "@@ line N", "" when unchanged
};

// A key replaced keeps its line's text up to '=' and the blanks after it,
// and the end of its last line; a key continued over several lines becomes
// one. A new key is written "KEY = value" after its line, ending as that
// line ends (a last line without an end gets the file's).
IniEditResult EditIniTexts(const std::vector<std::string>& texts,
                           const std::vector<IniEdit>& edits);

}  // namespace pitchwise
