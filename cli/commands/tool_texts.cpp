// The shell completions and the manual page, made from the commands'
// option rows, so that they name what the tool parses.
#include "commands/tool_texts.h"

#include <string>
#include <string_view>

#include "base/diagnostics.h"

namespace tkcli {

namespace {

// The first line of a help text.
std::string firstLine(const char *help) {
    const std::string_view text = help;
    return std::string(text.substr(0, text.find('\n')));
}

// The words a shell offers for a row: its names.
std::string optionWords(const OptionDefinition &option) {
    std::string words = option.name;
    if (option.shortName != nullptr) words += formatText(" %s", option.shortName);
    return words;
}

std::string choiceWords(const OptionDefinition &option) {
    std::string words;
    for (const OptionChoice &choice : option.choices) words += formatText("%s%s", words.empty() ? "" : " ", choice.name);
    return words;
}

// Text inside a single-quoted shell word, and inside the brackets of a zsh
// option description.
std::string zshDescription(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\'') out += "'\\''";
        else if (c == '[' || c == ']' || c == ':' || c == '\\') out += formatText("\\%c", c);
        else out += c;
    }
    return out;
}

// A line of roff text: backslashes doubled, and a leading '.' or '\''
// kept from being read as a request.
std::string roffLine(std::string_view line) {
    std::string out = line.starts_with('.') || line.starts_with('\'') ? "\\&" : "";
    for (const char c : line) out += c == '\\' ? std::string("\\e") : std::string(1, c);
    return out;
}

}  // namespace

std::string bashCompletion(std::span<const Command *const> commands) {
    std::string names;
    for (const Command *command : commands) names += formatText("%s ", command->name);
    std::string values;
    std::string options;
    for (const Command *command : commands) {
        std::string words;
        for (const OptionDefinition *option : command->options) {
            words += formatText("%s ", optionWords(*option).c_str());
            if (!option->choices.empty()) {
                values += formatText("        \"%s %s\") COMPREPLY=($(compgen -W \"%s\" -- \"$cur\")); return ;;\n",
                                     command->name, option->name, choiceWords(*option).c_str());
            }
        }
        options += formatText("        %s) options=\"%s--help\" ;;\n", command->name, words.c_str());
    }
    return formatText("# bash completion for tkdec, made by 'tkdec --completion bash'.\n"
                      "_tkdec() {\n"
                      "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} options=\n"
                      "    if [[ $COMP_CWORD -eq 1 ]]; then\n"
                      "        COMPREPLY=($(compgen -W \"%s--help --version\" -- \"$cur\"))\n"
                      "        return\n"
                      "    fi\n"
                      "    case \"${COMP_WORDS[1]} $prev\" in\n"
                      "%s"
                      "    esac\n"
                      "    case ${COMP_WORDS[1]} in\n"
                      "%s"
                      "    esac\n"
                      "    if [[ $cur == -* ]]; then\n"
                      "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
                      "    else\n"
                      "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
                      "    fi\n"
                      "}\n"
                      "complete -o filenames -F _tkdec tkdec\n",
                      names.c_str(), values.c_str(), options.c_str());
}

std::string zshCompletion(std::span<const Command *const> commands) {
    std::string described;
    std::string cases;
    for (const Command *command : commands) {
        described += formatText("        '%s:%s'\n", command->name, zshDescription(command->summary).c_str());
        std::string specs;
        for (const OptionDefinition *option : command->options) {
            const std::string help = zshDescription(firstLine(option->help));
            std::string value;
            if (!option->choices.empty()) value = formatText(":%s:(%s)", option->value, choiceWords(*option).c_str());
            else if (option->value != nullptr) value = formatText(":%s:_files", option->value);
            specs += formatText(" \\\n            '*%s[%s]%s'", option->name, help.c_str(), value.c_str());
            if (option->shortName != nullptr) {
                specs += formatText(" \\\n            '*%s[%s]%s'", option->shortName, help.c_str(), value.c_str());
            }
        }
        cases += formatText("    %s) _arguments%s \\\n            '*:file:_files' ;;\n", command->name, specs.c_str());
    }
    return formatText("#compdef tkdec\n"
                      "# zsh completion for tkdec, made by 'tkdec --completion zsh'.\n"
                      "_tkdec() {\n"
                      "    local -a commands=(\n"
                      "%s"
                      "    )\n"
                      "    if (( CURRENT == 2 )); then\n"
                      "        _describe command commands\n"
                      "        return\n"
                      "    fi\n"
                      "    shift words\n"
                      "    (( CURRENT-- ))\n"
                      "    case $words[1] in\n"
                      "%s"
                      "    esac\n"
                      "}\n"
                      "_tkdec \"$@\"\n",
                      described.c_str(), cases.c_str());
}

std::string manPage(std::span<const Command *const> commands, std::string_view toolHelp) {
    std::string page = formatText(".TH TKDEC 1 \"\" \"tkdec %s\" \"User Commands\"\n"
                                  ".SH NAME\n"
                                  "tkdec \\- decode captures of the tokenised log stream\n"
                                  ".SH DESCRIPTION\n"
                                  ".nf\n",
                                  TKDEC_TOOL_VERSION);
    const auto appendLines = [&page](std::string_view text) {
        size_t newline;
        while ((newline = text.find('\n')) != std::string_view::npos) {
            page += roffLine(text.substr(0, newline)) + "\n";
            text.remove_prefix(newline + 1);
        }
        if (!text.empty()) page += roffLine(text) + "\n";
    };
    appendLines(toolHelp);
    page += ".fi\n";
    for (const Command *command : commands) {
        page += formatText(".SH \"TKDEC %s\"\n.nf\n", command->name);
        appendLines(commandHelp(*command));
        page += ".fi\n";
    }
    return page;
}

}  // namespace tkcli
