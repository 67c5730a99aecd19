// The object a "StartScanApplication" notification carries: the application record it is about.
#pragma once

#include "appmanager/PMAppNode.h"

#include <QObject>

namespace vellumry {

class PMAppNodeNote : public QObject
{
    Q_OBJECT
public:
    explicit PMAppNodeNote(PMAppNodeRef node, QObject *parent = nullptr) : QObject(parent), m_node(std::move(node)) {}
    PMAppNodeRef appNode() const { return m_node; }

private:
    PMAppNodeRef m_node;
};

} // namespace vellumry
