# The Debian package: `cpack -G DEB` in a release build gives namewick_<version>_<arch>.deb.
# Qt comes from Debian's own packages, found by dpkg-shlibdeps, never bundled.

set(metainfo_file ${PROJECT_SOURCE_DIR}/data/namewick.metainfo.xml.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${metainfo_file})
file(READ ${metainfo_file} metainfo)

# The description is the AppStream one, so that the two never drift apart.
string(REGEX MATCH "<summary>([^<]+)</summary>" _ "${metainfo}")
set(summary ${CMAKE_MATCH_1})
string(REGEX MATCH "<description>(.*)</description>" _ "${metainfo}")
string(REGEX MATCHALL "<p>[^<]+</p>" paragraphs "${CMAKE_MATCH_1}")
set(description "")
foreach(paragraph IN LISTS paragraphs)
    string(REGEX REPLACE "</?p>" "" paragraph "${paragraph}")
    string(STRIP "${paragraph}" paragraph)
    string(REGEX REPLACE "[ \n]+" ";" words "${paragraph}")
    if(description)
        string(APPEND description "\n") # an empty line between paragraphs
    endif()
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(NOT line STREQUAL "" AND length GREATER 79)
            string(APPEND description "${line}\n")
            set(line "")
        endif()
        if(NOT line STREQUAL "")
            string(APPEND line " ")
        endif()
        string(APPEND line "${word}")
    endforeach()
    string(APPEND description "${line}\n")
endforeach()

string(REGEX MATCH "<release version=\"@PROJECT_VERSION@\" date=\"([0-9-]+)\"" _ "${metainfo}")
set(release_date ${CMAKE_MATCH_1})

set(contact ${NAMEWICK_CONTACT_MAIL})
if(NOT contact)
    set(contact "contact@example.org") # the about dialog's default
endif()
set(NAMEWICK_DEB_MAINTAINER "Namewick <${contact}>" CACHE STRING
    "Maintainer field of the Debian package")

# Debian wants a copyright file and a changelog in the package's documentation folder.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/namewick)
set(deb_dir ${PROJECT_BINARY_DIR}/deb)
if(release_date)
    execute_process(COMMAND date -u -R -d "${release_date} 12:00"
                    OUTPUT_VARIABLE changelog_date OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT changelog_date)
    message(FATAL_ERROR "No release ${PROJECT_VERSION} with a date in ${metainfo_file}")
endif()
string(SUBSTRING "${release_date}" 0 4 release_year)
configure_file(${PROJECT_SOURCE_DIR}/data/deb/copyright.in ${deb_dir}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/deb/changelog.in ${deb_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${deb_dir}/changelog.gz
                   COMMAND gzip -9nkf ${deb_dir}/changelog
                   DEPENDS ${deb_dir}/changelog)
add_custom_target(namewick_deb_changelog ALL DEPENDS ${deb_dir}/changelog.gz)
install(FILES ${deb_dir}/copyright ${deb_dir}/changelog.gz DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME namewick)
set(CPACK_PACKAGE_VENDOR Namewick)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${summary}")
set(CPACK_PACKAGE_DESCRIPTION "${description}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${NAMEWICK_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${NAMEWICK_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Folders the package makes are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
