#pragma once

#include <QString>

// Menus read a single '&' as the marker of a keyboard mnemonic, so texts of ours with an ampersand
// ("Connection & settings…") are escaped on the way in and read back as shown.
QString menuText(const QString& shown);
QString shownMenuText(const QString& text);
