#pragma once
// Root of the framework's classes: a virtual destructor so that objects owned
// through a base pointer are destroyed whole.
class CObject {
public:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject() = default;
};
