#pragma once
// Ctrl-C in an interactive run: the signal handler only raises a flag, which
// the pricing loops check between prices and the line editor at the prompt.

namespace quorva {

class Interrupt {
public:
    /// Catches SIGINT from now on (only for a run on a terminal).
    static void install();
    /// True once Ctrl-C was pressed since the last clear().
    static bool pending();
    static void clear();
    /// Ends the running command with the user error "Interrupted" when Ctrl-C
    /// was pressed.
    static void check();
};

}  // namespace quorva
