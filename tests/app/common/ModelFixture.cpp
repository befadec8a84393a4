#include "ModelFixture.h"

#include "app/MQmlInterface.h"

ModelFixture::ModelFixture()
{
    view.registerQmlTypes(true);
    viewItem.setSize(QSizeF(1000, 680));
    model = std::make_unique<MModel>();
    model->setCanvas(&canvas);
    view.setModel(model.get());
    if (MQmlInterface *pInterface = model->getInterface())
        pInterface->setObject("QmlView", &viewItem);
    model->initialize();
}
