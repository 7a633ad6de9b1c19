// One instance of T, reachable from anywhere through C_Singleton<T>::ms_Instance.
#pragma once

template <class T>
class C_Singleton
{
public:
    static T* GetInstance() { return ms_Instance; }

    // Set before any member of T is built, cleared after all of them are gone.
    static T* ms_Instance;

protected:
    // T is not built yet, so the sanitizer's dynamic-type check of this
    // downcast cannot pass; the address itself is already final.
#if defined(__GNUC__)
    __attribute__((no_sanitize("vptr")))
#endif
    C_Singleton()
    {
        ms_Instance = static_cast<T*>(this);
    }
    ~C_Singleton()
    {
        ms_Instance = nullptr;
    }

    C_Singleton(const C_Singleton&) = delete;
    C_Singleton& operator=(const C_Singleton&) = delete;
};

template <class T>
T* C_Singleton<T>::ms_Instance = nullptr;
