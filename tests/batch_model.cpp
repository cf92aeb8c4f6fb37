#include "tests/batch_model.h"

#include <cstdlib>

namespace {

// What "!_tvdir!" stands for until the command runs; no line holds it as text.
const std::string DELAYED_DIR = "\x01_tvdir";

// One command of the line, with its quoted stretches marked.
struct Command {
    std::string text;
};

// Splits at "&" outside double quotes, checking every character cmd acts on.
std::string split(const std::string &line, bool delayed, std::vector<Command> *commands) {
    if (line.empty() || line.back() != '\n')
        return "the line does not end with a line end";
    std::string body = line.substr(0, line.size() - 1);
    bool quoted = false;
    std::string current;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (static_cast<unsigned char>(c) < 0x20)
            return "a control character at " + std::to_string(i);
        if (c == '%')
            return "a % at " + std::to_string(i);
        if (delayed && (c == '!' || c == '^')) {
            // The one expansion the line may hold: !_tvdir!, in its quotes.
            const std::string allowed = "\"!_tvdir!\"";
            if (c == '^' || i == 0 || body.compare(i - 1, allowed.size(), allowed) != 0)
                return "delayed expansion acts at " + std::to_string(i);
            current += DELAYED_DIR;
            i += allowed.size() - 3; // on the second "!"; the quote after it closes
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '|' || c == '>' || c == '^' || c == '(' || c == ')')) {
            return std::string("an operator ") + c + " at " + std::to_string(i);
        } else if (!quoted && c == '&') {
            commands->push_back(Command{current});
            current.clear();
            continue;
        }
        current += c;
    }
    if (quoted)
        return "an unclosed quote";
    commands->push_back(Command{current});
    return "";
}

// Removes one blank at each end, as the line puts around "&".
std::string trim(const std::string &text) {
    size_t begin = text.size() > 0 && text[0] == ' ' ? 1 : 0;
    size_t end = text.size() > begin && text.back() == ' ' ? text.size() - 1 : text.size();
    return text.substr(begin, end - begin);
}

// The quoted text at the start of rest, without its quotes; false when rest
// does not begin with one or the quote closes elsewhere than at stop.
bool quoted_text(const std::string &rest, std::string *text, std::string *after) {
    if (rest.empty() || rest[0] != '"')
        return false;
    size_t close = rest.find('"', 1);
    if (close == std::string::npos)
        return false;
    *text = rest.substr(1, close - 1);
    *after = rest.substr(close + 1);
    return true;
}

bool starts_with(const std::string &text, const std::string &start, std::string *rest) {
    if (text.compare(0, start.size(), start) != 0)
        return false;
    *rest = text.substr(start.size());
    return true;
}

} // namespace

std::string run_model_line(const std::string &line, bool delayed,
                           const std::function<bool(const std::string &, std::string *)> &read_file,
                           ModelScript *script) {
    std::vector<Command> commands;
    std::string error = split(line, delayed, &commands);
    if (!error.empty())
        return error;
    for (size_t n = 0; n < commands.size(); ++n) {
        if (script->exited)
            return "a command after exit";
        std::string command = trim(commands[n].text), rest, text, after;
        std::string label = "command " + std::to_string(n + 1) + " (" + command + "): ";
        if (starts_with(command, "set /p ", &rest)) {
            std::string file;
            if (!quoted_text(rest, &text, &after) || text.empty() || text.back() != '=' ||
                !starts_with(after, " <", &rest) || !quoted_text(rest, &file, &after) ||
                !after.empty())
                return label + "not set /p \"NAME=\" <\"file\"";
            std::string content;
            if (!read_file(file, &content))
                return label + "no such file";
            // set /p takes the first line, without its line end.
            size_t end = content.find('\n');
            if (end == std::string::npos)
                return label + "the file holds no line end";
            std::string value = content.substr(0, end);
            if (!value.empty() && value.back() == '\r')
                value.pop_back();
            std::string name = text.substr(0, text.size() - 1);
            if (value.empty())
                script->env.erase(name);
            else
                script->env[name] = value;
        } else if (starts_with(command, "set ", &rest)) {
            if (!quoted_text(rest, &text, &after) || !after.empty() ||
                text.find('=') == std::string::npos || text[0] == '=')
                return label + "not set \"NAME=value\"";
            std::string name = text.substr(0, text.find('='));
            std::string value = text.substr(text.find('=') + 1);
            if (value.empty())
                script->env.erase(name);
            else
                script->env[name] = value;
        } else if (starts_with(command, "cd /d ", &rest)) {
            if (!quoted_text(rest, &text, &after) || !after.empty() || text.empty())
                return label + "not cd /d \"target\"";
            if (text == DELAYED_DIR)
                text = script->env.count("_tvdir") != 0 ? script->env["_tvdir"] : "";
            script->cd_targets.push_back(text);
        } else if (starts_with(command, "rd /s /q ", &rest)) {
            if (!quoted_text(rest, &text, &after) || !after.empty() || text.empty())
                return label + "not rd /s /q \"folder\"";
            script->removed.push_back(text);
        } else if (starts_with(command, "exit /b ", &rest)) {
            char *end = nullptr;
            long code = strtol(rest.c_str(), &end, 10);
            if (rest.empty() || *end != '\0')
                return label + "not exit /b N";
            script->exited = true;
            script->exit_code = static_cast<int>(code);
        } else {
            return label + "a command the line may not hold";
        }
    }
    return script->exited ? "" : "no exit at the end";
}
