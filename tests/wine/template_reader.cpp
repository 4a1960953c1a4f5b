#include "template_reader.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace pitchwise {

namespace {

// Walks the template's words, keeping to the resource's bounds.
class TemplateCursor {
  public:
    TemplateCursor(const unsigned char* begin, std::size_t size) : m_begin(begin), m_size(size) {}

    bool Ok() const { return m_ok; }

    template <class T>
    T Next() {
        T value{};
        if (m_at + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_begin + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }

    // A zero-terminated UTF-16 string, narrowed (the texts are ASCII).
    std::string String() {
        std::string text;
        for (;;) {
            const std::uint16_t c = Next<std::uint16_t>();
            if (!m_ok || c == 0) return text;
            text += static_cast<char>(c < 0x80 ? c : '?');
        }
    }

    // A string, a resource number (0xFFFF then the number), or nothing.
    std::string StringOrNumber(bool& isNumber, int& number) {
        isNumber = false;
        const std::uint16_t first = Peek();
        if (first == 0xFFFF) {
            Next<std::uint16_t>();
            isNumber = true;
            number = Next<std::uint16_t>();
            return "#" + std::to_string(number);
        }
        return String();
    }

    void AlignToDword() { m_at = (m_at + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t count) {
        if (m_at + count > m_size) m_ok = false;
        m_at += count;
    }

  private:
    std::uint16_t Peek() const {
        std::uint16_t value = 0;
        if (m_at + 2 <= m_size) std::memcpy(&value, m_begin + m_at, 2);
        return value;
    }

    const unsigned char* m_begin;
    std::size_t m_size;
    std::size_t m_at = 0;
    bool m_ok = true;
};

std::string PredefinedClass(int number) {
    switch (number) {
        case 0x80:
            return "Button";
        case 0x81:
            return "Edit";
        case 0x82:
            return "Static";
        case 0x83:
            return "ListBox";
        case 0x84:
            return "ScrollBar";
        case 0x85:
            return "ComboBox";
        default:
            return "#" + std::to_string(number);
    }
}

}  // namespace

ReadTemplate ReadDialogTemplate(int templateId) {
    ReadTemplate result;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
    if (resource == nullptr) return result;
    HGLOBAL loaded = LoadResource(module, resource);
    const unsigned char* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    TemplateCursor cursor(bytes, SizeofResource(module, resource));

    const std::uint16_t version = cursor.Next<std::uint16_t>();
    const std::uint16_t signature = cursor.Next<std::uint16_t>();
    result.extended = version == 1 && signature == 0xFFFF;
    if (!result.extended) return result;
    cursor.Next<std::uint32_t>();  // help id
    result.exStyle = cursor.Next<std::uint32_t>();
    result.style = cursor.Next<std::uint32_t>();
    const int count = cursor.Next<std::uint16_t>();
    result.x = cursor.Next<std::int16_t>();
    result.y = cursor.Next<std::int16_t>();
    result.width = cursor.Next<std::int16_t>();
    result.height = cursor.Next<std::int16_t>();
    bool isNumber = false;
    int number = 0;
    cursor.StringOrNumber(isNumber, number);  // menu
    cursor.StringOrNumber(isNumber, number);  // window class
    result.title = cursor.String();
    if (result.style & DS_SETFONT) {
        result.fontPoints = cursor.Next<std::uint16_t>();
        cursor.Next<std::uint16_t>();  // weight
        cursor.Next<std::uint8_t>();   // italic
        cursor.Next<std::uint8_t>();   // character set
        result.fontName = cursor.String();
    }
    for (int i = 0; i < count && cursor.Ok(); ++i) {
        cursor.AlignToDword();
        ReadControl control;
        cursor.Next<std::uint32_t>();  // help id
        control.exStyle = cursor.Next<std::uint32_t>();
        control.style = cursor.Next<std::uint32_t>();
        control.x = cursor.Next<std::int16_t>();
        control.y = cursor.Next<std::int16_t>();
        control.width = cursor.Next<std::int16_t>();
        control.height = cursor.Next<std::int16_t>();
        control.id = static_cast<int>(cursor.Next<std::int32_t>());
        const std::string windowClass = cursor.StringOrNumber(isNumber, number);
        control.windowClass = isNumber ? PredefinedClass(number) : windowClass;
        control.text = cursor.StringOrNumber(isNumber, number);
        cursor.Skip(cursor.Next<std::uint16_t>());  // creation data
        result.controls.push_back(control);
    }
    result.found = cursor.Ok();
    return result;
}

}  // namespace pitchwise
