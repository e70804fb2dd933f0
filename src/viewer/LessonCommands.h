#pragma once

#include <QString>

#include <array>

// Which menu command each media field of the current lesson record governs. Topic selection
// walks this list in its order and enables each item whose field holds a file name; the melody
// field governs no item.
class LessonCommands
{
public:
    struct Rule
    {
        QString item;  // the menu item's component name
        QString field; // the media field of the lesson record
    };

    static const std::array<Rule, 6>& enablingRules();
};
