#pragma once

#include <QObject>

class Dataset;

// Links data-aware controls to a dataset by name (DSUrok, DSjurnal).
class DataSource : public QObject
{
    Q_OBJECT
public:
    DataSource(Dataset* dataset, QObject* parent = nullptr) : QObject(parent), m_dataset(dataset) {}
    Dataset* dataset() const { return m_dataset; }

private:
    Dataset* m_dataset;
};
