// Reads an extended dialog template back out of the running module's
// resources, so a test can compare what the resource compiler wrote with
// the layout source.
#pragma once

#include <string>
#include <vector>

namespace pitchwise {

struct ReadControl {
    int id = 0;
    std::string windowClass;  // "Button", "Edit", "Static", "ComboBox", … or the class name
    std::string text;         // "#<n>" for a resource number
    int x = 0, y = 0, width = 0, height = 0;
    unsigned long style = 0;
    unsigned long exStyle = 0;
};

struct ReadTemplate {
    bool found = false;
    bool extended = false;
    unsigned long style = 0;
    unsigned long exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
    int fontPoints = 0;
    std::string fontName;
    std::vector<ReadControl> controls;
};

ReadTemplate ReadDialogTemplate(int templateId);

}  // namespace pitchwise
