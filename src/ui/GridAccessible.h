#pragma once
// What assistive technology sees of a string grid. The grid paints its cells itself, so without
// this a screen reader finds one blank widget: here it is a table whose fixed rows are column
// headers, whose cells carry their text, and whose check-box cells are checkable cells with
// their check state.

class QObject;

namespace mv {

class TStringGrid;

// Lets QAccessible build the table for every string grid; called by each grid, once is enough.
void InstallGridAccessibility();

// Tell a listening screen reader what changed in `grid`; they cost nothing while no
// assistive technology is active.
void NotifyGridCellChanged(TStringGrid* grid, int col, int row);
void NotifyGridCurrentChanged(TStringGrid* grid);
void NotifyGridResized(TStringGrid* grid);

} // namespace mv
