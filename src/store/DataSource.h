#pragma once

#include "Dataset.h"

#include <QObject>

// Links data-aware controls to a dataset by name (DSUrok, DSjurnal).
class DataSource : public QObject
{
    Q_OBJECT
public:
    DataSource(Dataset* dataset, QObject* parent = nullptr) : QObject(parent), m_dataset(dataset) {}
    Dataset* dataset() const { return m_dataset; }

    // Calls `onChange` of a data-aware control whenever the current record of `dataset`, its
    // values or its state change (connections made by an earlier call are dropped first).
    template <typename Receiver>
    static void follow(Dataset* previous, Dataset* dataset, Receiver* receiver,
                       void (Receiver::*onChange)())
    {
        if (previous)
            QObject::disconnect(previous, nullptr, receiver, nullptr);
        if (!dataset)
            return;
        for (auto signal : {&Dataset::recordChanged, &Dataset::currentChanged,
                            &Dataset::stateChanged, &Dataset::reset})
            QObject::connect(dataset, signal, receiver, onChange);
    }

private:
    Dataset* m_dataset;
};
