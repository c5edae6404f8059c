#pragma once

#include <QString>

// Keeps a file from being replaced while it lives, so that a save of it
// fails: the file is made immutable (for root, whom permissions do not
// stop), else its folder read-only. active() is false where neither works.
class Unsavable
{
public:
    explicit Unsavable(const QString &path);
    ~Unsavable();
    Unsavable(const Unsavable &) = delete;
    Unsavable &operator=(const Unsavable &) = delete;

    bool active() const { return m_immutable || m_readOnlyFolder; }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_readOnlyFolder = false;
};
