#pragma once

class QObject;

// Hands screen readers the program's own accessible interfaces for the
// controls Qt's general ones describe poorly.
class AccessibleFactory {
public:
    // Idempotent; every control that needs an interface of its own calls it.
    static void install();
    // Drops an interface Qt made for `object` before the object was ready
    // for ours (Qt makes them early while a screen reader listens), so the
    // next query makes ours.
    static void renew(QObject *object);
};
