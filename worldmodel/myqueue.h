// Bounded ring queue of 200 slots that drops its oldest element when full; used for the
// own-position history and the goalkeeper's sliding windows. No globals.
#pragma once

enum errorType { DOWNFLOW = 0, OVER_FLOW = 1, SUCCESS = 2, ERROR_INDEX = 3 };

template <typename T>
class myQueue {
public:
    static constexpr int kSlots = 200;

    myQueue() = default;

    // One slot always stays free, so a full queue holds kSlots - 1 elements.
    errorType enQueue(const T& value) {
        const int i = (rear + 1) % kSlots;
        if (i == front) {
            --count;
            front = (i + 1) % kSlots;
        }
        rear = i;
        data[i] = value;
        ++count;
        return SUCCESS;
    }
    errorType getFront(T& value) const {
        if (isEmpty()) return DOWNFLOW;
        value = data[(front + 1) % kSlots];
        return SUCCESS;
    }
    errorType getRear(T& value) const {
        if (isEmpty()) return DOWNFLOW;
        value = data[rear];
        return SUCCESS;
    }
    void delQueue() {
        if (isEmpty()) return;
        --count;
        front = (front + 1) % kSlots;
    }
    bool isEmpty() const { return front == rear; }
    bool isFull() const { return (rear + 1) % kSlots == front; }
    int size() const { return count; }
    void Clean() { count = front = rear = 0; }

    int count = 0;
    int rear = 0;   // slot of the newest element
    int front = 0;  // slot just before the oldest element
    T data[kSlots]{};
};
