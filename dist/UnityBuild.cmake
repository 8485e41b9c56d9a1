# The view preset (scripts/view) compiles each library in unity batches, several source files in
# one translation unit, which cuts its first build to less than half the processor time. These
# files keep translation units of their own: helpers of the same name in anonymous namespaces of
# two files of one library, or compile flags of their own (the SSE2 kernels). A new clash breaks
# only the unity build; scripts/view then builds file by file and says so.
foreach(file format/IniFile.cpp archive/StoredMembers.cpp imageinfo/PictureHeader.cpp
             pictures/PictureKeeper.cpp pictures/PlaneKernelsScalar.cpp
             pictures/PlaneKernelsSse2.cpp opening/PackageThumbnail.cpp)
    get_filename_component(folder ${file} DIRECTORY)
    set_source_files_properties(${file} DIRECTORY ${folder} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endforeach()
