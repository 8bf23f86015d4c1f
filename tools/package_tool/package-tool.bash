# bash completion for package-tool: its commands, each command's options and
# their values, savegames (*.b) where a save is wanted and pictures where a
# picture is wanted. Installed as share/bash-completion/completions/
# package-tool, where bash-completion loads it the first time the command is
# completed; it uses bash-completion's _init_completion and _filedir.

_package_tool() {
  local cur prev words cword
  _init_completion || return

  if ((cword == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'list bmp map render route serve --help --version' -- "$cur")
    return
  fi

  local command=${words[1]}
  # Values of options.
  case $command:$prev in
    list:--format) mapfile -t COMPREPLY < <(compgen -W 'csv json' -- "$cur"); return ;;
    route:--format) mapfile -t COMPREPLY < <(compgen -W 'text csv json' -- "$cur"); return ;;
    route:--kinds | render:--kinds) mapfile -t COMPREPLY < <(compgen -W 'packages rampages all' -- "$cur"); return ;;
    render:--palette) mapfile -t COMPREPLY < <(compgen -W 'standard safe' -- "$cur"); return ;;
    map:--size) mapfile -t COMPREPLY < <(compgen -W '256 512 1024 2048 4096' -- "$cur"); return ;;
    render:--map | render:--font) _filedir bmp; return ;;
    serve:--site) _filedir -d; return ;;
    serve:--port) return ;;
    map:--world | map:--pin | render:--size | render:--zoom | render:--camera | route:--from | render:--from) return ;;
  esac

  local options
  case $command in
    list) options='--format' ;;
    bmp) options='' ;;
    map) options='--size --world --pin' ;;
    render) options='--size --zoom --camera --help-page --map --font --route --from --kinds --palette' ;;
    route) options='--from --kinds --format' ;;
    serve) options='--port --lan --site' ;;
    *) return ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$cur")
    return
  fi

  # Which file this is: the words so far that are neither options nor their values.
  local i files=0
  for ((i = 2; i < cword; i++)); do
    case ${words[i]} in
      --help-page | --route | --lan | --*=*) ;;
      -*) ((i++)) ;;
      *) ((files++)) ;;
    esac
  done
  case $command:$files in
    list:0 | route:0) _filedir b ;;
    bmp:0) _filedir bmp ;;
    bmp:1) _filedir '@(png|ppm)' ;;
    map:0) _filedir '@(png|jpg|jpeg|gif|tga|bmp)' ;;
    map:1) _filedir bmp ;;
    render:0) _filedir '@(b|png)' ;;
    render:1) _filedir png ;;
    serve:0) _filedir b ;;
  esac
} && complete -F _package_tool package-tool
