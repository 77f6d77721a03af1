#pragma once
// One process-wide instance, built on first use (thread-safe) and destroyed at exit.

template <typename T> class cSingleton {
public:
    static T& GetInstance() {
        static T instance;
        return instance;
    }
};
