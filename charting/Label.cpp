#include "charting/Label.h"

#include "charting/Plotter.h"

namespace gnuplot {

Label::Label(const std::string& option_) : option(option_), font("Arial"), size(0) {}

Label& Label::operator=(const std::string& text_) {
    text = text_;
    return *this;
}

void Label::plot(Plotter& plotter) const {
    std::string command = "set " + option + " " + Plotter::quoted(text) + " font \"" + font + ",";
    if (size != 0) command += std::to_string(size);
    plotter.send_command(command + "\"");
}

}  // namespace gnuplot
