#include "ParseProjectXml.h"

#include "XVPJHandler.h"
#include "XmlFileReader.h"
#include "app/MModel.h"

bool parseProjectXml(HNode *pRoot, const QString &path, MModel *pModel)
{
    const bool merging = pModel && !pModel->designPath().isEmpty();
    return parseProjectXml(pRoot, path, pModel ? pModel->project() : nullptr, merging);
}

bool parseProjectXml(HNode *pRoot, const QString &path, MProject *pProject, bool merging)
{
    XVPJHandler handler;
    handler.setRoot(pRoot);
    handler.setProject(pProject);
    handler.setMerging(merging);
    return XmlFileReader::parse(path, handler);
}
