#pragma once
// A test fixture with a fresh folder of its own for the files a test reads
// and writes, removed with it.

#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

class InFolder : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (dir.path() / name).native(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(path(name)) << text; }

    gnuplot::test::TempDir dir{"quorva-files-%%%%-%%%%"};
};
