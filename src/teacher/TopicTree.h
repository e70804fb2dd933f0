#pragma once

#include <QString>

// The main window's topic tree as the lesson editor uses it: the selected node (possibly
// none), adding a node, and removing the selected node with all its descendants.
class TopicTree
{
public:
    virtual ~TopicTree() = default;

    virtual bool hasSelection() const = 0;
    virtual QString selectedText() const = 0;
    // As the last node of the selected node's level (the last root node when nothing is
    // selected). The new node is not selected and no node is expanded.
    virtual void addSibling(const QString& text) = 0;
    // As the last child of the selected node (the last root node when nothing is selected).
    virtual void addChild(const QString& text) = 0;
    virtual void removeSelected() = 0;
};
