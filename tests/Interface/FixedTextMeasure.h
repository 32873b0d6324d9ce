#pragma once

#include "Interface/TextMeasure.h"

#include <gtest/gtest.h>

// Measures text without fonts: a character of the small font is 7 by 10
// pixels (so text lines are 15 apart), of the title font 35 by 50.
class FixedTextMeasure : public ::testing::Test
{
protected:
    static constexpr int charWidth = 7, lineHeight = 10;

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
