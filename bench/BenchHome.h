#pragma once

// A fresh application folder for a benchmark, where every message box takes
// its cautious answer without showing.

#include "util/AppFolder.h"
#include "util/Messages.h"

#include <QTemporaryDir>

class BenchHome : public Messages::Backend
{
public:
    BenchHome()
    {
        AppFolder::set(m_dir.path());
        AppFolder::prepare();
        Messages::setBackend(this);
    }
    ~BenchHome() override { Messages::setBackend(nullptr); }
    BenchHome(const BenchHome &) = delete;
    BenchHome &operator=(const BenchHome &) = delete;

    Messages::Answer ask(Messages::Icon, const QString &, const QString &, Messages::Buttons buttons) override
    {
        return Messages::cautiousAnswer(buttons);
    }

private:
    QTemporaryDir m_dir;
};
