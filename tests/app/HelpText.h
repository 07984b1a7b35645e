#pragma once
// The command list that `help` prints after its first line.

inline const char* const HELP_LIST =
    "market    - List market parameters\n"
    "list      - List the portfolio of derivatives\n"
    "set       - Set a market parameter\n"
    "add       - Add a derivative to the portfolio\n"
    "del       - Remove a derivative from the portfolio\n"
    "for       - What-if analysis\n"
    "plot      - View scenarios as a chart\n"
    "show      - Show one position in full\n"
    "implvol   - Calculate implied volatility from a market price\n"
    "calibrate - Create a smile from a set of market prices\n"
    "source    - Run the commands of a file\n"
    "save      - Save the market and the portfolio to a file\n"
    "load      - Load the market and the portfolio from a file\n"
    "help      - Show this help\n"
    "exit      - Exit\n"
    "\n";
