# Version sets of the three products. Each becomes a generated header
# <build>/generated/<product>/ProductVersion.h that the product's programs include.
function(suite_product_version product name version copyright special)
    set(PV_NAME "${name}")
    set(PV_VERSION "${version}")
    set(PV_COPYRIGHT "${copyright}")
    set(PV_SPECIAL "${special}")
    string(REPLACE "_" "-" PV_PACKAGE "${product}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/ProductVersion.h.in
        ${CMAKE_BINARY_DIR}/generated/${product}/ProductVersion.h @ONLY)
    add_library(${product}_version INTERFACE)
    target_include_directories(${product}_version INTERFACE ${CMAKE_BINARY_DIR}/generated/${product})
endfunction()

suite_product_version(quillon      "Quillon"     "1, 0, 1, 29" "Copyright (C) 2026 Quillon team" "")
suite_product_version(sondex       "Sondex"      "1, 0, 0, 1"  "Copyright (C) 2026 Quillon team" "")
suite_product_version(quillon_orlo "QuillonOrlo" "1, 0, 0, 1"  "Copyright (C) 2026 Quillon team" "")
