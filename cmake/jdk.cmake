# Finds the JDK for FindJava and FindJNI on any architecture: JAVA_HOME when
# the caller gives one (cache or environment), else the JDK that the javac on
# PATH belongs to, else Debian's default-java link.
if(NOT JAVA_HOME AND DEFINED ENV{JAVA_HOME} AND EXISTS "$ENV{JAVA_HOME}/bin/javac")
    set(JAVA_HOME "$ENV{JAVA_HOME}")
endif()
if(NOT JAVA_HOME)
    find_program(MESHORY_JAVAC javac)
    if(MESHORY_JAVAC)
        # /usr/bin/javac -> /etc/alternatives/javac -> <jdk>/bin/javac
        file(REAL_PATH "${MESHORY_JAVAC}" javac_real)
        cmake_path(GET javac_real PARENT_PATH jdk_bin)
        cmake_path(GET jdk_bin PARENT_PATH jdk_home)
        set(JAVA_HOME "${jdk_home}")
    elseif(EXISTS /usr/lib/jvm/default-java/bin/javac)
        file(REAL_PATH /usr/lib/jvm/default-java JAVA_HOME)
    endif()
endif()
if(JAVA_HOME)
    set(JAVA_HOME "${JAVA_HOME}" CACHE PATH "The JDK that builds the jar and provides jni.h")
    # FindJava looks at the environment first.
    set(ENV{JAVA_HOME} "${JAVA_HOME}")
endif()
