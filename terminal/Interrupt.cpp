#include "terminal/Interrupt.h"

#include "foundation/QuorvaException.h"

#include <csignal>

namespace quorva {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void quorva_interrupt_handler(int) { interrupted = 1; }

}  // namespace

void Interrupt::install() {
    struct sigaction action {};
    action.sa_handler = quorva_interrupt_handler;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked read at the prompt returns, so the line editor
    // can abandon the line being typed.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupt::pending() { return interrupted != 0; }

void Interrupt::clear() { interrupted = 0; }

void Interrupt::check() {
    if (interrupted == 0) return;
    interrupted = 0;
    throw QuorvaException("Interrupted");
}

}  // namespace quorva
