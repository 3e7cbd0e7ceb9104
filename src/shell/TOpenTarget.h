#pragma once

#include <QString>

#include <optional>

// What a path handed to the main window opens: a folder, or a file within its folder.
struct TOpenTarget
{
    // The folder to list (absolute, raw text); empty when nothing can be opened.
    QString Folder;
    // The file whose row becomes current; empty for a folder.
    QString FileName;
    // What the status line says instead of the usual, why the path does not open as asked;
    // empty when it does.
    QString Problem;

    // Looks at an absolute path (raw text).
    static TOpenTarget Examine(const QString& path);

    // The filter item to list the file with when the mask in force would not list it: the
    // first item whose mask lists the name, an item that lists every name ("*.*") only when
    // no other does. Nothing when the mask in force lists it, or no item does.
    static std::optional<int> FilterItemListing(const QString& name, const QString& mask);
};
