// The owning pointer list used by every subsystem: a count and an array of
// exactly count element pointers, grown by one slot per insertion. Deleting,
// clearing or destroying the collection deletes the elements.
#pragma once

#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstdlib>
#include <cstring>
#include <new>

template <typename T> class QV7_Collection
{
  public:
    QV7_Collection() : items(NewArray(0)) {}
    ~QV7_Collection()
    {
        DeleteAllFromEnd();
        std::free(items);
    }
    QV7_Collection(const QV7_Collection&) = delete;
    QV7_Collection& operator=(const QV7_Collection&) = delete;

    // Constructs a default element, appends it and returns it.
    T* Add() { return Append(new T()); }

    // Appends an element made by the caller; the collection owns it from now on.
    T* Append(T* item)
    {
        T** grown = static_cast<T**>(std::realloc(items, sizeof(T*) * size_t(count + 1)));
        if (!grown)
            throw std::bad_alloc();
        items = grown;
        items[count++] = item;
        return item;
    }

    int IndexOf(const T* item) const
    {
        for (int i = 0; i < count; ++i)
            if (items[i] == item)
                return i;
        return -1;
    }

    // Deletes the element in slot index; an index out of range is logged and ignored.
    void DeleteAt(int index)
    {
        if (unsigned(index) >= unsigned(count))
        {
            LogNotFound();
            return;
        }
        delete TakeAt(index);
    }

    // Deletes the element; an absent pointer is logged and changes nothing.
    void Delete(T* item)
    {
        if (!item)
            return;
        const int index = IndexOf(item);
        if (index < 0)
        {
            LogNotFound();
            return;
        }
        delete TakeAt(index);
    }

    // Takes the element out without deleting it; an absent pointer is fatal.
    T* Remove(T* item)
    {
        if (!item)
            return nullptr;
        const int index = IndexOf(item);
        if (index < 0)
        {
            LogNotFound();
            ThrowDataError("QV7_Collection", 234);
        }
        return TakeAt(index);
    }

    void Clear()
    {
        DeleteAllFromEnd();
        std::free(items);
        items = NewArray(0);
    }

    int Count() const { return count; }
    T* operator[](int index) const { return items[index]; }
    T** begin() const { return items; }
    T** end() const { return items + count; }

    int count = 0;
    T** items;

  private:
    static T** NewArray(size_t slots)
    {
        // A zero-size block is still a real block, so growing is always a resize.
        T** block = static_cast<T**>(std::malloc(slots ? sizeof(T*) * slots : 1));
        if (!block)
            throw std::bad_alloc();
        return block;
    }

    // Unlinks slot index, keeping the order of the rest; the array is not shrunk.
    [[gnu::noinline]] T* TakeAt(int index)
    {
        T* item = items[index];
        std::memmove(items + index, items + index + 1, sizeof(T*) * size_t(count - index - 1));
        --count;
        return item;
    }

    // The count drops before each delete, so an element's destructor sees the
    // collection without itself.
    void DeleteAllFromEnd()
    {
        while (count > 0)
        {
            T* item = items[--count];
            delete item;
        }
    }

    static void LogNotFound()
    {
        QV7_Logger::Log(g_logger, "ERROR: Memory Collecion Delete(T* Item) pointer unit not found.");
    }
};
