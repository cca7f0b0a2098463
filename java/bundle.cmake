# Makes the jar a host takes: the compiled classes plus libmeshory.so under
# META-INF/native/<platform>/, where NativeLoader looks for it.
# In: JAR (the jar tool), CLASSES (the classes jar), LIBRARY, PLATFORM, OUT.
set(stage ${OUT}.stage)
file(REMOVE_RECURSE ${stage})
# The real file, not the SONAME link, under the name System.mapLibraryName gives.
file(REAL_PATH ${LIBRARY} library)
file(MAKE_DIRECTORY ${stage}/META-INF/native/${PLATFORM})
file(COPY_FILE ${library} ${stage}/META-INF/native/${PLATFORM}/libmeshory.so)
file(COPY_FILE ${CLASSES} ${OUT}.tmp)
execute_process(COMMAND ${JAR} --update --file ${OUT}.tmp -C ${stage} META-INF/native
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "jar --update failed for ${OUT}")
endif()
file(RENAME ${OUT}.tmp ${OUT})
file(REMOVE_RECURSE ${stage})
