#pragma once

#include "Interface/TextMeasure.h"

#include <gtest/gtest.h>

// Measures text without fonts: every character of the small font is 7 pixels
// wide and a line 10 high (so text lines are 15 apart); title text is 35 by 50.
class FixedTextMeasure : public ::testing::Test
{
protected:
    static constexpr int charWidth = 7;
    static constexpr int lineHeight = 10;

    void SetUp() override
    {
        TextMeasure::install([](const std::string& line, Fonts::Face face) {
            const int n = static_cast<int>(line.size());
            return face == Fonts::Title ? std::make_pair(35 * n, 50)
                                        : std::make_pair(charWidth * n, lineHeight);
        });
    }
    void TearDown() override { TextMeasure::install({}); }
};
