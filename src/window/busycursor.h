#ifndef BUSYCURSOR_H
#define BUSYCURSOR_H

// The busy pointer over every window of the program while a blocking piece
// of work runs, so that a window which cannot react is not taken for frozen.
// Decided when the work starts, put back on every way out of the scope.
class BusyCursor
{
public:
    explicit BusyCursor(bool busy);
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool shown;
};

#endif // BUSYCURSOR_H
