#ifndef FACTORY_H
#define FACTORY_H

#include <QMap>
#include <QString>

template <class Base> class AbstractFactory;

// A registry of factories by name. Names are matched without regard to case,
// so a stored or dragged name in any letter case finds its factory.
// The factories are not owned: they register themselves and live as globals.
template <class Base>
class FactoryManager
{
public:
    void addFactory(const QString& name, AbstractFactory<Base>* factory)
    {
        m_factories.insert(name.toLower(), factory);
    }

    AbstractFactory<Base>* getFactory(const QString& name) const
    {
        return m_factories.value(name.toLower(), nullptr);
    }

    // A new object owned by the caller, or null for an unknown name.
    Base* create(const QString& name) const
    {
        AbstractFactory<Base>* factory = getFactory(name);
        return factory ? factory->create() : nullptr;
    }

private:
    QMap<QString, AbstractFactory<Base>*> m_factories;
};

template <class Base>
class AbstractFactory
{
public:
    AbstractFactory(FactoryManager<Base>& manager, const QString& name)
    {
        manager.addFactory(name, this);
    }
    virtual ~AbstractFactory() {}

    virtual Base* create() = 0;
};

// Makes a parentless T: T's constructor takes its parent node.
template <class Base, class T>
class Factory : public AbstractFactory<Base>
{
public:
    Factory(FactoryManager<Base>& manager, const QString& name)
        : AbstractFactory<Base>(manager, name) {}

    Base* create() override { return new T(nullptr); }
};

#endif // FACTORY_H
