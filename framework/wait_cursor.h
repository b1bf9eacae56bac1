// The hourglass shown while the wizard works between pages.
#pragma once

namespace framework {

class WaitCursor {
public:
    static void Begin();    // one level more; shows the wait cursor
    static void Restore();  // shows it again after a dialog has changed the cursor
    static void End();      // one level less; the arrow returns at level 0
    static int Depth();
};

// Begin on construction, End on destruction.
class ScopedWaitCursor {
public:
    ScopedWaitCursor() { WaitCursor::Begin(); }
    ~ScopedWaitCursor() { WaitCursor::End(); }
    ScopedWaitCursor(const ScopedWaitCursor&) = delete;
    ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
};

}  // namespace framework
