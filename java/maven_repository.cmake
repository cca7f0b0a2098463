# Run at install time (java/CMakeLists.txt): completes the installed Maven
# repository folder as a remote repository is laid out, so that a Maven or
# Gradle build can name it by its file:// URL. Each artifact gets the .md5,
# .sha1, .sha256 and .sha512 files that Maven's resolver checks, computed
# from the bytes installed; the artifact folder gets maven-metadata.xml
# listing every version installed beside this one.
#
# In: REPO_DIR (groupId/artifactId folder), VERSION, GROUP, ARTIFACT.

# `cmake --install --prefix out` passes the prefix as given. file(INSTALL)
# writes relative to the working folder, which is also this script's
# current folder; the globs below need that made explicit, or a relative
# folder matches nothing.
cmake_path(ABSOLUTE_PATH REPO_DIR NORMALIZE)

function(write_checksums file)
    foreach(algorithm MD5 SHA1 SHA256 SHA512)
        file(${algorithm} ${file} digest)
        string(TOLOWER ${algorithm} suffix)
        file(WRITE ${file}.${suffix} "${digest}")
    endforeach()
endfunction()

file(GLOB artifacts ${REPO_DIR}/${VERSION}/${ARTIFACT}-${VERSION}*)
list(FILTER artifacts EXCLUDE REGEX "\\.(md5|sha1|sha256|sha512)$")
foreach(artifact IN LISTS artifacts)
    write_checksums(${artifact})
endforeach()

# Versions are the folders that hold a pom; the newest is both the latest and
# the release (there are no snapshots).
file(GLOB poms RELATIVE ${REPO_DIR} ${REPO_DIR}/*/${ARTIFACT}-*.pom)
set(versions "")
foreach(pom IN LISTS poms)
    cmake_path(GET pom PARENT_PATH version)
    list(APPEND versions ${version})
endforeach()
list(REMOVE_DUPLICATES versions)
list(SORT versions COMPARE NATURAL)
list(GET versions -1 newest)
set(entries "")
foreach(version IN LISTS versions)
    string(APPEND entries "      <version>${version}</version>\n")
endforeach()
string(TIMESTAMP updated "%Y%m%d%H%M%S" UTC)
file(WRITE ${REPO_DIR}/maven-metadata.xml
"<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<metadata>
  <groupId>${GROUP}</groupId>
  <artifactId>${ARTIFACT}</artifactId>
  <versioning>
    <latest>${newest}</latest>
    <release>${newest}</release>
    <versions>
${entries}    </versions>
    <lastUpdated>${updated}</lastUpdated>
  </versioning>
</metadata>
")
write_checksums(${REPO_DIR}/maven-metadata.xml)
message(STATUS "Maven repository folder: ${REPO_DIR} (versions ${versions})")
