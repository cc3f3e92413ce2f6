#pragma once
// Japanese input through ibus (with mozc): when the focus leaves a box while a composition is
// still open, Qt commits the composition into that box and the engine then commits the same
// text once more, into whichever box has the focus by then (the next one, or the same one when
// a check keeps the focus there). The guard lets the first commit through (or makes it, when
// nobody did) and drops that echo, so nothing is stored that the user did not type.
class QCoreApplication;

namespace corvane {

// Once per application; later calls do nothing.
void installCompositionGuard(QCoreApplication* application);

// After a message box the input method may stay detached from the box that has the focus
// again (keys arrive as Latin letters): this attaches it anew.
void resyncInputMethod();

} // namespace corvane
