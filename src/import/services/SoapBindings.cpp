// Registration of the web-service bindings.

#include "SoapBindings.h"

#include "SDMTabularService.h"
#include "SDMTabularService_proxy.h"
#include "metos.h"
#include "metos_proxy.h"
#include "ndfdDWML_schema.h"
#include "ndfdXML_proxy.h"

#include <mutex>

void RegisterSoapBindings() {
  static std::once_flag Once;
  std::call_once(Once, [] {
    // SDMTabularService, SDMTabularService_proxy
    RegisterSDMTabularServiceTypes();
    RegisterSDMTabularServiceResource();
    RegisterSDMTabularServiceMetadata();
    // ndfdDWML_schema, ndfdXML (its port type has no types of its own), ndfdXML_proxy
    RegisterNdfdDWMLSchemaTypes();
    RegisterNdfdXMLResource();
    RegisterNdfdXMLMetadata();
    // metos, metos_proxy
    RegisterMetosTypes();
    RegisterMetosResource();
    RegisterMetosMetadata();
  });
}
