#pragma once
// The busy cursor for as long as the object lives. A settings-file access may wait seconds
// for another program's lock; a window that freezes under an ordinary cursor looks hung.

namespace corvane {

class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace corvane
