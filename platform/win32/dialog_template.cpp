// A reader for the resource-script subset that the player's dialogs use.
#include "win32/dialog_template.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>

namespace
{

struct Token
{
    enum Kind
    {
        Name,
        Number,
        String,
        Punct,
        End
    } kind = End;
    std::string text;
    long value = 0;
    int line = 0;
};

// The Win32 names a script may use without defining them.
const std::map<std::string, long>& Win32Names()
{
    static const std::map<std::string, long> names = {
#define NAME(n) {#n, static_cast<long>(n)}
        NAME(IDOK),
        NAME(IDCANCEL),
        NAME(WS_OVERLAPPED),
        NAME(WS_POPUP),
        NAME(WS_CHILD),
        NAME(WS_MINIMIZE),
        NAME(WS_VISIBLE),
        NAME(WS_DISABLED),
        NAME(WS_CLIPSIBLINGS),
        NAME(WS_CLIPCHILDREN),
        NAME(WS_MAXIMIZE),
        NAME(WS_CAPTION),
        NAME(WS_BORDER),
        NAME(WS_DLGFRAME),
        NAME(WS_VSCROLL),
        NAME(WS_HSCROLL),
        NAME(WS_SYSMENU),
        NAME(WS_THICKFRAME),
        NAME(WS_GROUP),
        NAME(WS_TABSTOP),
        NAME(WS_MINIMIZEBOX),
        NAME(WS_MAXIMIZEBOX),
        NAME(DS_ABSALIGN),
        NAME(DS_SYSMODAL),
        NAME(DS_3DLOOK),
        NAME(DS_FIXEDSYS),
        NAME(DS_NOFAILCREATE),
        NAME(DS_LOCALEDIT),
        NAME(DS_SETFONT),
        NAME(DS_MODALFRAME),
        NAME(DS_NOIDLEMSG),
        NAME(DS_SETFOREGROUND),
        NAME(DS_CONTROL),
        NAME(DS_CENTER),
        NAME(DS_CENTERMOUSE),
        NAME(DS_CONTEXTHELP),
        NAME(DS_SHELLFONT),
        NAME(BS_PUSHBUTTON),
        NAME(BS_DEFPUSHBUTTON),
        NAME(BS_CHECKBOX),
        NAME(BS_AUTOCHECKBOX),
        NAME(BS_RADIOBUTTON),
        NAME(BS_3STATE),
        NAME(BS_AUTO3STATE),
        NAME(BS_GROUPBOX),
        NAME(BS_USERBUTTON),
        NAME(BS_AUTORADIOBUTTON),
        NAME(BS_PUSHBOX),
        NAME(BS_OWNERDRAW),
        NAME(BS_LEFTTEXT),
        NAME(BS_TEXT),
        NAME(BS_LEFT),
        NAME(BS_RIGHT),
        NAME(BS_CENTER),
        NAME(BS_TOP),
        NAME(BS_BOTTOM),
        NAME(BS_VCENTER),
        NAME(BS_MULTILINE),
        NAME(BS_NOTIFY),
        NAME(BS_FLAT),
        NAME(SS_LEFT),
        NAME(SS_CENTER),
        NAME(SS_RIGHT),
        NAME(SS_SIMPLE),
        NAME(SS_LEFTNOWORDWRAP),
        NAME(SS_NOPREFIX),
        NAME(SS_CENTERIMAGE),
        NAME(CBS_SIMPLE),
        NAME(CBS_DROPDOWN),
        NAME(CBS_DROPDOWNLIST),
        NAME(CBS_OWNERDRAWFIXED),
        NAME(CBS_OWNERDRAWVARIABLE),
        NAME(CBS_AUTOHSCROLL),
        NAME(CBS_OEMCONVERT),
        NAME(CBS_SORT),
        NAME(CBS_HASSTRINGS),
        NAME(CBS_NOINTEGRALHEIGHT),
        NAME(CBS_DISABLENOSCROLL),
        NAME(CBS_UPPERCASE),
        NAME(CBS_LOWERCASE),
#undef NAME
    };
    return names;
}

bool IsKeyword(const Token& t, const char* word)
{
    return t.kind == Token::Name && t.text == word;
}

class Parser
{
public:
    Parser(const std::string& text, std::string* error) : m_Text(text), m_Error(error) {}

    bool Run(std::vector<win32::DialogTemplate>& dialogs)
    {
        if (!Tokenize())
            return false;
        while (Peek().kind != Token::End)
        {
            if (!TopLevel(dialogs))
                return false;
        }
        return true;
    }

private:
    bool Fail(const std::string& what, int line)
    {
        if (m_Error)
            *m_Error = "line " + std::to_string(line) + ": " + what;
        return false;
    }
    bool Fail(const std::string& what) { return Fail(what, Peek().line); }

    // --- tokens

    bool Directive(size_t& i, int line)
    {
        size_t end = i;
        std::string body;
        while (end < m_Text.size() && m_Text[end] != '\n')
        {
            if (m_Text[end] == '\\' && end + 1 < m_Text.size() && m_Text[end + 1] == '\n')
            {
                end += 2;
                continue;
            }
            body += m_Text[end++];
        }
        i = end;
        size_t p = 1;
        while (p < body.size() && std::isspace(static_cast<unsigned char>(body[p])))
            ++p;
        size_t wordEnd = p;
        while (wordEnd < body.size() && std::isalpha(static_cast<unsigned char>(body[wordEnd])))
            ++wordEnd;
        const std::string word = body.substr(p, wordEnd - p);
        if (word == "include" || word == "pragma" || word == "undef")
            return true;
        if (word != "define")
            return Fail("#" + word + " is not understood", line);
        size_t nameStart = wordEnd;
        while (nameStart < body.size() && std::isspace(static_cast<unsigned char>(body[nameStart])))
            ++nameStart;
        size_t nameEnd = nameStart;
        while (nameEnd < body.size() &&
               (std::isalnum(static_cast<unsigned char>(body[nameEnd])) || body[nameEnd] == '_'))
            ++nameEnd;
        if (nameEnd == nameStart)
            return Fail("#define without a name", line);
        if (nameEnd < body.size() && body[nameEnd] == '(')
            return Fail("macros with parameters are not understood", line);
        m_Defines[body.substr(nameStart, nameEnd - nameStart)] = body.substr(nameEnd);
        return true;
    }

    bool Tokenize() { return TokenizeInto(m_Text, m_Tokens, true); }

    // Splits text into tokens; directives only count at the start of a line of the script itself.
    bool TokenizeInto(const std::string& text, std::vector<Token>& tokens, bool script)
    {
        int line = 1;
        bool lineStart = true;
        size_t i = 0;
        while (i < text.size())
        {
            const char c = text[i];
            if (c == '\n')
            {
                ++line;
                lineStart = true;
                ++i;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c)))
            {
                ++i;
                continue;
            }
            if (c == '/' && i + 1 < text.size() && text[i + 1] == '/')
            {
                while (i < text.size() && text[i] != '\n')
                    ++i;
                continue;
            }
            if (c == '/' && i + 1 < text.size() && text[i + 1] == '*')
            {
                const size_t close = text.find("*/", i + 2);
                if (close == std::string::npos)
                    return Fail("unterminated comment", line);
                for (size_t k = i; k < close; ++k)
                    line += text[k] == '\n';
                i = close + 2;
                continue;
            }
            if (c == '#' && script && lineStart)
            {
                if (!Directive(i, line))
                    return false;
                continue;
            }
            lineStart = false;
            Token token;
            token.line = line;
            if (std::isalpha(static_cast<unsigned char>(c)) || c == '_')
            {
                size_t end = i;
                while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
                    ++end;
                token.kind = Token::Name;
                token.text = text.substr(i, end - i);
                i = end;
            }
            else if (std::isdigit(static_cast<unsigned char>(c)))
            {
                char* end = nullptr;
                token.kind = Token::Number;
                const bool hex = c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
                token.value = static_cast<long>(std::strtoul(text.c_str() + i, &end, hex ? 16 : 10));
                i = static_cast<size_t>(end - text.c_str());
                while (i < text.size() && (text[i] == 'L' || text[i] == 'l' || text[i] == 'U' || text[i] == 'u'))
                    ++i;
                if (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
                    return Fail("malformed number", line);
            }
            else if (c == '"')
            {
                token.kind = Token::String;
                ++i;
                for (;;)
                {
                    if (i >= text.size() || text[i] == '\n')
                        return Fail("unterminated string", line);
                    const char s = text[i++];
                    if (s == '"')
                    {
                        // A doubled quote stands for one quote.
                        if (i < text.size() && text[i] == '"')
                        {
                            token.text += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (s == '\\' && i < text.size())
                    {
                        const char e = text[i++];
                        token.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                        continue;
                    }
                    token.text += s;
                }
            }
            else if (std::string(",|()-+~{}").find(c) != std::string::npos)
            {
                token.kind = Token::Punct;
                token.text = std::string(1, c);
                ++i;
            }
            else
            {
                return Fail(std::string("unexpected character '") + c + "'", line);
            }
            tokens.push_back(token);
        }
        Token end;
        end.line = line;
        tokens.push_back(end);
        return true;
    }

    const Token& Peek(size_t ahead = 0) const
    {
        const size_t at = std::min(m_Pos + ahead, m_Tokens.size() - 1);
        return m_Tokens[at];
    }
    Token Next()
    {
        const Token t = Peek();
        if (m_Pos < m_Tokens.size() - 1)
            ++m_Pos;
        return t;
    }
    bool Accept(const char* punct)
    {
        if (Peek().kind == Token::Punct && Peek().text == punct)
        {
            Next();
            return true;
        }
        return false;
    }
    bool Expect(const char* punct) { return Accept(punct) || Fail(std::string("expected '") + punct + "'"); }
    bool Begin()
    {
        if (IsKeyword(Peek(), "BEGIN") || (Peek().kind == Token::Punct && Peek().text == "{"))
        {
            Next();
            return true;
        }
        return false;
    }
    bool AtEnd() const { return IsKeyword(Peek(), "END") || (Peek().kind == Token::Punct && Peek().text == "}"); }

    // --- expressions: numbers, names, unary - and ~, ( ), | and +, and rc's NOT

    bool Primary(long& value)
    {
        const Token t = Next();
        if (t.kind == Token::Number)
        {
            value = t.value;
            return true;
        }
        if (t.kind == Token::Punct && t.text == "-")
        {
            if (!Primary(value))
                return false;
            value = -value;
            return true;
        }
        if (t.kind == Token::Punct && t.text == "~")
        {
            if (!Primary(value))
                return false;
            value = ~value;
            return true;
        }
        if (t.kind == Token::Punct && t.text == "(")
        {
            return Expression(value) && Expect(")");
        }
        if (t.kind == Token::Name)
            return NameValue(t, value);
        return Fail("expected a number", t.line);
    }

    bool NameValue(const Token& t, long& value)
    {
        const auto define = m_Defines.find(t.text);
        if (define != m_Defines.end())
        {
            if (m_Expanding.count(t.text))
                return Fail(t.text + " is defined in terms of itself", t.line);
            std::vector<Token> tokens;
            if (!TokenizeInto(define->second, tokens, false))
                return false;
            for (Token& inner : tokens)
                inner.line = t.line;
            // Evaluate the definition in place, as the preprocessor would have pasted it.
            std::vector<Token> saved;
            saved.swap(m_Tokens);
            const size_t savedPos = m_Pos;
            m_Tokens = tokens;
            m_Pos = 0;
            m_Expanding.insert(t.text);
            const bool ok = Expression(value) && (Peek().kind == Token::End || Fail("bad value of " + t.text, t.line));
            m_Expanding.erase(t.text);
            m_Tokens.swap(saved);
            m_Pos = savedPos;
            return ok;
        }
        const auto known = Win32Names().find(t.text);
        if (known != Win32Names().end())
        {
            value = known->second;
            return true;
        }
        return Fail("unknown name " + t.text, t.line);
    }

    bool Expression(long& value)
    {
        if (!Primary(value))
            return false;
        for (;;)
        {
            const bool add = Peek().kind == Token::Punct && Peek().text == "+";
            if (Accept("|") || Accept("+"))
            {
                if (IsKeyword(Peek(), "NOT"))
                {
                    Next();
                    long cleared;
                    if (!Primary(cleared))
                        return false;
                    value &= ~cleared;
                    continue;
                }
                long more;
                if (!Primary(more))
                    return false;
                value = add ? value + more : value | more;
            }
            else if (IsKeyword(Peek(), "NOT"))
            {
                Next();
                long cleared;
                if (!Primary(cleared))
                    return false;
                value &= ~cleared;
            }
            else
            {
                return true;
            }
        }
    }

    bool Int(int& out)
    {
        long value;
        if (!Expression(value))
            return false;
        out = static_cast<int>(value);
        return true;
    }

    bool Str(std::string& out)
    {
        if (Peek().kind != Token::String)
            return Fail("expected a string");
        out = Next().text;
        return true;
    }

    // --- statements

    bool SkipBlock()
    {
        if (!Begin())
            return Fail("expected BEGIN");
        int depth = 1;
        while (depth > 0)
        {
            if (Peek().kind == Token::End)
                return Fail("BEGIN without END");
            if (Begin())
            {
                ++depth;
                continue;
            }
            if (AtEnd())
                --depth;
            Next();
        }
        return true;
    }

    // Resources other than dialogs: one line naming a file, or statements then a block.
    bool SkipResource(int line)
    {
        bool file = false;
        while (Peek().kind != Token::End && Peek().line == line)
        {
            if (Begin())
            {
                --m_Pos;
                break;
            }
            file |= Next().kind == Token::String;
        }
        if (file)
            return true;
        while (!Begin())
        {
            if (Peek().kind == Token::End)
                return Fail("resource without BEGIN");
            Next();
        }
        --m_Pos;
        return SkipBlock();
    }

    bool TopLevel(std::vector<win32::DialogTemplate>& dialogs)
    {
        const Token first = Peek();
        if (IsKeyword(first, "LANGUAGE"))
        {
            Next();
            int primary, sub;
            return Int(primary) && Expect(",") && Int(sub);
        }
        if (IsKeyword(first, "STRINGTABLE"))
        {
            Next();
            return SkipResource(first.line);
        }
        if (first.kind != Token::Name && first.kind != Token::Number)
            return Fail("expected a resource name");
        const Token type = Peek(1);
        if (type.kind != Token::Name && type.kind != Token::Number)
            return Fail("expected a resource type", type.line);
        win32::DialogTemplate dialog;
        if (first.kind == Token::Number)
        {
            dialog.id = static_cast<int>(first.value);
        }
        else if (m_Defines.count(first.text))
        {
            long value;
            if (!NameValue(first, value))
                return false;
            dialog.id = static_cast<int>(value);
        }
        else
        {
            dialog.name = first.text;
        }
        Next();
        Next();
        if (!IsKeyword(type, "DIALOGEX"))
            return SkipResource(type.line);
        if (!Dialog(dialog))
            return false;
        dialogs.push_back(dialog);
        return true;
    }

    bool Dialog(win32::DialogTemplate& dialog)
    {
        static const std::set<std::string> memoryFlags = {"MOVEABLE", "FIXED",      "PURE",       "IMPURE",
                                                          "PRELOAD",  "LOADONCALL", "DISCARDABLE"};
        while (Peek().kind == Token::Name && memoryFlags.count(Peek().text))
            Next();
        if (!(Int(dialog.x) && Expect(",") && Int(dialog.y) && Expect(",") && Int(dialog.cx) && Expect(",") &&
              Int(dialog.cy)))
            return false;
        int helpId;
        if (Accept(",") && !Int(helpId))
            return false;
        dialog.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        for (;;)
        {
            const Token t = Peek();
            if (Begin())
                break;
            if (t.kind != Token::Name)
                return Fail("expected a dialog statement");
            Next();
            long value;
            if (t.text == "STYLE")
            {
                if (!Expression(value))
                    return false;
                dialog.style = static_cast<DWORD>(value);
            }
            else if (t.text == "EXSTYLE")
            {
                if (!Expression(value))
                    return false;
                dialog.exStyle = static_cast<DWORD>(value);
            }
            else if (t.text == "CAPTION")
            {
                if (!Str(dialog.caption))
                    return false;
            }
            else if (t.text == "FONT")
            {
                if (!(Int(dialog.pointSize) && Expect(",") && Str(dialog.typeface)))
                    return false;
                int italic = 0;
                if (Accept(",") && !Int(dialog.weight))
                    return false;
                if (Accept(",") && !Int(italic))
                    return false;
                if (Accept(",") && !Int(dialog.charset))
                    return false;
                dialog.italic = italic != 0;
            }
            else if (t.text == "LANGUAGE")
            {
                int primary, sub;
                if (!(Int(primary) && Expect(",") && Int(sub)))
                    return false;
            }
            else if (t.text == "CHARACTERISTICS" || t.text == "VERSION")
            {
                if (!Expression(value))
                    return false;
            }
            else
            {
                return Fail(t.text + " is not understood in a dialog", t.line);
            }
        }
        // As the resource compiler does: a caption or a font implies its style bit.
        if (!dialog.caption.empty())
            dialog.style |= WS_CAPTION;
        if (!dialog.typeface.empty())
            dialog.style |= DS_SETFONT;
        while (!AtEnd())
        {
            if (Peek().kind == Token::End)
                return Fail("dialog without END");
            if (!Control(dialog))
                return false;
        }
        Next();
        return true;
    }

    bool Control(win32::DialogTemplate& dialog)
    {
        const Token t = Next();
        if (!IsKeyword(t, "CONTROL"))
            return Fail("only CONTROL statements are understood in a dialog, not " + t.text, t.line);
        win32::DialogControl control;
        long style;
        if (!(Str(control.text) && Expect(",") && Int(control.id) && Expect(",")))
            return false;
        const Token cls = Next();
        if (cls.kind != Token::String && cls.kind != Token::Name)
            return Fail("expected a control class", cls.line);
        control.className = cls.text;
        if (!(Expect(",") && Expression(style) && Expect(",") && Int(control.x) && Expect(",") && Int(control.y) &&
              Expect(",") && Int(control.cx) && Expect(",") && Int(control.cy)))
            return false;
        control.style = static_cast<DWORD>(style) | WS_CHILD | WS_VISIBLE;
        long exStyle = 0;
        if (Accept(",") && !Expression(exStyle))
            return false;
        control.exStyle = static_cast<DWORD>(exStyle);
        int helpId;
        if (Accept(",") && !Int(helpId))
            return false;
        dialog.controls.push_back(control);
        return true;
    }

    const std::string& m_Text;
    std::string* m_Error;
    std::vector<Token> m_Tokens;
    size_t m_Pos = 0;
    std::map<std::string, std::string> m_Defines;
    std::set<std::string> m_Expanding;
};

std::vector<const char*>& Scripts()
{
    static std::vector<const char*> scripts;
    return scripts;
}

} // namespace

namespace win32
{

bool SameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
    {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

bool ParseResourceScript(const std::string& text, std::vector<DialogTemplate>& dialogs, std::string* error)
{
    std::vector<DialogTemplate> parsed;
    Parser parser(text, error);
    if (!parser.Run(parsed))
        return false;
    dialogs.insert(dialogs.end(), parsed.begin(), parsed.end());
    return true;
}

void RegisterResourceScript(const char* text)
{
    Scripts().push_back(text);
}

const std::vector<const char*>& RegisteredResourceScripts()
{
    return Scripts();
}

bool FindDialogTemplate(LPCSTR name, DialogTemplate& dialog)
{
    if (name == nullptr)
        return false;
    for (const char* script : Scripts())
    {
        std::vector<DialogTemplate> dialogs;
        if (!ParseResourceScript(script, dialogs, nullptr))
            continue;
        for (const DialogTemplate& candidate : dialogs)
        {
            // "#101" names the numeric resource 101, as on Windows.
            const bool match = IS_INTRESOURCE(name)
                                   ? candidate.name.empty() && candidate.id == static_cast<int>(LOWORD(name))
                               : name[0] == '#' ? candidate.name.empty() && candidate.id == std::atoi(name + 1)
                                                : !candidate.name.empty() && SameName(candidate.name, name);
            if (match)
            {
                dialog = candidate;
                return true;
            }
        }
    }
    return false;
}

} // namespace win32
