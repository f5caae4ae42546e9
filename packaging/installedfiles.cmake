# Install-time writers of the files that name the installation directory. Included by the install
# script; CMAKE_INSTALL_PREFIX is where the programs end up, DESTDIR where the files are written.

set(ZELVORA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

function(zelvora_installation_dir out)
  get_filename_component(dir "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# The Exec value that runs `program`: the bare path where it holds no character the desktop entry
# rules reserve (a launcher without a desktop environment runs nothing for a quoted path), else
# the path quoted and escaped as those rules say.
function(zelvora_exec_value program out)
  if(program MATCHES "\n")
    message(FATAL_ERROR "A desktop entry cannot name a path with a line break: ${program}")
  endif()
  set(value "${program}")
  if(value MATCHES [=[[] 	"'\\><~|&;$*?#()`]]=])
    foreach(special [=[\]=] "\"" "`" "$")
      string(REPLACE "${special}" "\\${special}" value "${value}")
    endforeach()
    set(value "\"${value}\"")
    # The value is a string of the entry: its backslashes are written twice.
    string(REPLACE [=[\]=] [=[\\]=] value "${value}")
  endif()
  string(REPLACE "%" "%%" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The entry that hands "ZVR:" links to Ticketera and the one that starts Mostrador, written
# into `dir` (under DESTDIR).
function(zelvora_desktop_entries dir)
  zelvora_installation_dir(programs)
  foreach(entry ticketera:Ticketera mostrador:Mostrador)
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 name)
    list(GET entry 1 program)
    zelvora_exec_value("${programs}/${program}" EXEC)
    configure_file(${ZELVORA_PACKAGING_DIR}/zelvora-${name}.desktop.in "$ENV{DESTDIR}${dir}/zelvora-${name}.desktop"
                   @ONLY)
    message(STATUS "Installing: $ENV{DESTDIR}${dir}/zelvora-${name}.desktop")
  endforeach()
endfunction()

# The polkit actions under which pkexec starts Configuracion and the Updater.
function(zelvora_polkit_policy dir)
  zelvora_installation_dir(DIR)
  string(REPLACE "&" "&amp;" DIR "${DIR}")
  string(REPLACE "<" "&lt;" DIR "${DIR}")
  string(REPLACE ">" "&gt;" DIR "${DIR}")
  set(file "$ENV{DESTDIR}${dir}/com.zelvora.terminal.policy")
  configure_file(${ZELVORA_PACKAGING_DIR}/com.zelvora.terminal.policy.in "${file}" @ONLY)
  message(STATUS "Installing: ${file}")
endfunction()

# A systemd unit of the package from its template in this directory, which runs the programs of
# the installation directory; written into `dir` (under DESTDIR).
function(zelvora_systemd_unit template dir)
  zelvora_installation_dir(DIR)
  if(DIR MATCHES "[ \t\n%\\]")
    message(FATAL_ERROR "A systemd unit cannot name a path with a blank, % or a backslash: ${DIR}")
  endif()
  get_filename_component(name "${template}" NAME_WLE)
  set(file "$ENV{DESTDIR}${dir}/${name}")
  configure_file(${ZELVORA_PACKAGING_DIR}/${template} "${file}" @ONLY)
  message(STATUS "Installing: ${file}")
endfunction()

# The kiosk session's systemd unit.
function(zelvora_kiosk_unit dir)
  zelvora_systemd_unit(kiosk/zelvora-kiosk@.service.in "${dir}")
endfunction()
