#pragma once

class QAbstractItemView;

// Keys in a list of rows as on every desktop: arrows move between rows, Home and End go to the first and last row,
// and Tab leaves the list for the next control instead of walking its rows.
void useListKeys(QAbstractItemView* view);
