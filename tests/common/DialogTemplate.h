// A DIALOGEX template of this program as the resource compiler wrote it, read field by field the
// way the dialog manager reads it.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

namespace dialogs {

struct TemplateItem
{
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring cls;   // a name, or "#n" for an ordinal (0x80 "Button" to 0x85 "ComboBox")
    std::wstring text;  // a text, or "#n" for a resource ordinal such as an icon's
    WORD creationDataSize = 0;
};

struct Template
{
    bool found = false;
    WORD version = 0;
    WORD signature = 0;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu;
    std::wstring windowClass;
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

class TemplateReader
{
public:
    explicit TemplateReader(const BYTE* data) : m_start(data), m_at(data) {}

    template <typename T>
    T Take()
    {
        T value;
        memcpy(&value, m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }

    // A string, or 0xFFFF and an ordinal, written as "#n".
    std::wstring StringOrOrdinal()
    {
        if (Peek() == 0xFFFF) {
            Take<WORD>();
            return L"#" + std::to_wstring(Take<WORD>());
        }
        std::wstring text;
        while (WORD c = Take<WORD>())
            text += static_cast<wchar_t>(c);
        return text;
    }

    // Items start on a DWORD boundary of the template.
    void AlignToDword()
    {
        while ((m_at - m_start) % 4)
            ++m_at;
    }

    void Skip(size_t count) { m_at += count; }

private:
    WORD Peek() const
    {
        WORD value;
        memcpy(&value, m_at, sizeof(value));
        return value;
    }

    const BYTE* m_start;
    const BYTE* m_at;
};

// Dialog template `id` of this program in `language` (the program's resources are Spanish,
// modern sort); `found` is false when there is none.
inline Template LoadTemplate(int id, WORD language = MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN))
{
    Template t;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);  // RT_DIALOG
    if (!resource)
        return t;
    t.found = true;
    TemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(module, resource))));
    t.version = reader.Take<WORD>();
    t.signature = reader.Take<WORD>();
    t.helpId = reader.Take<DWORD>();
    t.exStyle = reader.Take<DWORD>();
    t.style = reader.Take<DWORD>();
    const WORD count = reader.Take<WORD>();
    t.x = reader.Take<short>();
    t.y = reader.Take<short>();
    t.cx = reader.Take<short>();
    t.cy = reader.Take<short>();
    t.menu = reader.StringOrOrdinal();
    t.windowClass = reader.StringOrOrdinal();
    t.caption = reader.StringOrOrdinal();
    if (t.style & DS_SETFONT) {
        t.pointSize = reader.Take<WORD>();
        t.weight = reader.Take<WORD>();
        t.italic = reader.Take<BYTE>();
        t.charset = reader.Take<BYTE>();
        t.font = reader.StringOrOrdinal();
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword();
        TemplateItem item;
        item.helpId = reader.Take<DWORD>();
        item.exStyle = reader.Take<DWORD>();
        item.style = reader.Take<DWORD>();
        item.x = reader.Take<short>();
        item.y = reader.Take<short>();
        item.cx = reader.Take<short>();
        item.cy = reader.Take<short>();
        item.id = static_cast<int>(reader.Take<DWORD>());
        item.cls = reader.StringOrOrdinal();
        item.text = reader.StringOrOrdinal();
        item.creationDataSize = reader.Take<WORD>();
        reader.Skip(item.creationDataSize);
        t.items.push_back(item);
    }
    return t;
}

// A class as the dialog manager matches it: the predefined ordinals by their names, and every
// name without regard to case (windres stores names upper-cased).
inline std::wstring ClassKey(const std::wstring& cls)
{
    static const wchar_t* const kPredefined[] = {L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
    for (int ordinal = 0x80; ordinal <= 0x85; ++ordinal) {
        if (cls == L"#" + std::to_wstring(ordinal))
            return kPredefined[ordinal - 0x80];
    }
    std::wstring upper = cls;
    if (!upper.empty())
        CharUpperW(&upper[0]);
    return upper;
}

}  // namespace dialogs
