#include "terminal/LineReader.h"

#include "terminal/HistoryFile.h"
#include "terminal/Interrupt.h"
#include "terminal/TextFile.h"

#include <editline/readline.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

namespace quorva {

LineReader::~LineReader() = default;

std::string LineReader::location() const { return ""; }

StreamLineReader::StreamLineReader(std::istream& in, std::ostream& out, bool show_prompts, std::string name)
    : in_(in), out_(out), show_prompts_(show_prompts), name_(std::move(name)) {}

bool StreamLineReader::read_line(const std::string& prompt, std::string& line) {
    if (show_prompts_) out_ << prompt;
    out_.flush();
    ++number_;
    return read_text_line(in_, line, number_ == 1);
}

std::string StreamLineReader::location() const {
    return name_.empty() ? "" : echoed_path(name_) + ":" + std::to_string(number_) + ": ";
}

namespace {

// The line editor calls back into plain functions, so the state of the one
// editor of the run lives here.
EditLineReader::Completer completer;
std::unique_ptr<HistoryFile> history;
std::vector<std::string> candidates;
bool line_done = false;
bool input_ended = false;
std::string finished_line;

void on_line(char* text) {
    line_done = true;
    if (text == nullptr) {
        input_ended = true;
        return;
    }
    finished_line = text;
    if (finished_line.find_first_not_of(" \t") != std::string::npos) {
        add_history(text);
        history->append(finished_line);
    }
    std::free(text);
}

char* next_candidate(const char*, int state) {
    static std::size_t index = 0;
    if (state == 0) index = 0;
    if (index >= candidates.size()) return nullptr;
    return strdup(candidates[index++].c_str());
}

char** complete(const char* text, int start, int) {
    rl_attempted_completion_over = 1;
    candidates = completer(std::string(rl_line_buffer, static_cast<std::size_t>(start)), text);
    if (candidates.empty()) return nullptr;
    return rl_completion_matches(text, next_candidate);
}

}  // namespace

EditLineReader::EditLineReader(Completer complete_words) {
    completer = std::move(complete_words);
    rl_catch_signals = 0;
    rl_readline_name = "quorva";
    using_history();
    stifle_history(static_cast<int>(HistoryFile::MAX_LINES));
    history = std::make_unique<HistoryFile>(HistoryFile::path_from_environment());
    for (const std::string& line : history->load()) add_history(line.c_str());
    rl_basic_word_break_characters = " \t:,[>";
    rl_attempted_completion_function = complete;
}

EditLineReader::~EditLineReader() {
    history->trim();
    clear_history();
}

bool EditLineReader::read_line(const std::string& prompt, std::string& line) {
    std::cout.flush();
    line_done = false;
    input_ended = false;
    Interrupt::clear();
    rl_callback_handler_install(prompt.c_str(), on_line);
    while (!line_done) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, -1);
        if (Interrupt::pending()) {
            // Ctrl-C abandons the line being typed and shows a fresh prompt.
            Interrupt::clear();
            rl_callback_handler_remove();
            std::fputs("\n", stdout);
            rl_callback_handler_install(prompt.c_str(), on_line);
            continue;
        }
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (input.revents & (POLLERR | POLLNVAL))) {
            input_ended = true;
            break;
        }
        rl_callback_read_char();
    }
    rl_callback_handler_remove();
    if (input_ended) {
        std::fputs("\n", stdout);
        return false;
    }
    line = finished_line;
    return true;
}

}  // namespace quorva
